#!/usr/bin/env bash
# Times opening a computer and selecting a share against rpcclient making the same calls in one
# process, on loopback and through the delay proxy (25 ms each way: a 50 ms round trip).
#
#   bench/latency.sh [BUILD_DIR] [RUNS]      (as root; needs farm-bench, rpcclient)
#
# Starts two test servers of its own (127.0.1.8: the demo shares; 127.0.1.9: the demo shares
# plus bulk shares, 5,000 in all) under /tmp/corvane-bench-server, and two proxies in front of
# them (127.0.1.10, 127.0.1.11); stops them all at the end. BENCH_SMALL, BENCH_LARGE,
# BENCH_SMALL_PROXY, BENCH_LARGE_PROXY and CORVANE_TEST_SERVER_BASE choose other addresses and
# servers (the integration tests' ones, under their lock); BENCH_PROGRAM overrides the program
# timed (to time another build of it); BENCH_CASES picks cases by name (a grep pattern).
# Before the timings at 50 ms, each case runs once more through its proxy, the program and
# rpcclient in turn, and the round trips the proxy counted are printed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
runs="${2:-5}"
program="${BENCH_PROGRAM:-$build/bench/bench_latency}"
proxy="$build/tools/proxy/corvane_proxy"
ts="$root/tools/test-server/test-server.sh"
export CORVANE_TEST_SERVER_BASE="${CORVANE_TEST_SERVER_BASE:-/tmp/corvane-bench-server}"
small="${BENCH_SMALL:-127.0.1.8}" large="${BENCH_LARGE:-127.0.1.9}"
small_proxy=${BENCH_SMALL_PROXY:-127.0.1.10} large_proxy=${BENCH_LARGE_PROXY:-127.0.1.11}
cases="${BENCH_CASES:-.}"

pids=()
work=$(mktemp -d)
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
    "$ts" stop --addr "$small" >/dev/null 2>&1 || true
    "$ts" stop --addr "$large" >/dev/null 2>&1 || true
}
trap cleanup EXIT

"$ts" start --addr "$small" >/dev/null
"$ts" start --addr "$large" >/dev/null
"$ts" bulk-shares 4985 --addr "$large" >/dev/null
# BENCH_KEEP_BULK=1 leaves them in the instance for the next run.
if [[ -z ${BENCH_KEEP_BULK:-} ]]; then
    trap '"$ts" bulk-shares 0 --addr "$large" >/dev/null 2>&1 || true; cleanup' EXIT
fi
eval "$("$ts" env --addr "$small" | sed 's/^/export /')"
client_conf=$CORVANE_TEST_CLIENT_CONF
logon="$CORVANE_TEST_ADMIN_USER%$CORVANE_TEST_ADMIN_PASSWORD"

# Each proxy reads its commands from a fifo and answers into a file.
fd=3
for pair in "$small_proxy:$small" "$large_proxy:$large"; do
    p=${pair%%:*}
    mkfifo "$work/$p.in"
    "$proxy" --listen "$p:445" --target "${pair#*:}:445" --delay-ms 25 <"$work/$p.in" >"$work/$p.out" &
    pids+=($!)
    eval "exec $fd>\"$work/$p.in\""
    eval "fd_$(echo "$p" | tr . _)=$fd"
    fd=$((fd + 1))
done
sleep 1

# trips PROXY COMMAND...: runs COMMAND once through PROXY and prints the round trips counted.
trips() {
    local p=$1 var
    shift
    var="fd_$(echo "$p" | tr . _)"
    echo reset >&"${!var}"
    sleep 0.2
    "$@" >/dev/null 2>&1 || true
    sleep 0.3
    echo trips >&"${!var}"
    sleep 0.2
    grep '^trips' "$work/$p.out" | tail -1
}

# time NAME HOST ARGS...: the program against rpcclient with the calls it printed.
time_case() {
    local name=$1 host=$2
    shift 2
    local calls
    grep -qE -- "$cases" <<<"$name" || return 0
    calls=$("$program" --rpcclient "$@" 2>/dev/null)
    echo "== $name ($host)"
    if [[ $host == "$small_proxy" || $host == "$large_proxy" ]]; then
        echo "round trips: program $(trips "$host" "$program" "$@" | cut -d' ' -f2)," \
            "rpcclient $(trips "$host" rpcclient -s "$client_conf" -U "$logon" "$host" -c "$calls" | cut -d' ' -f2)"
    fi
    farm-bench -n "$runs" --warmup 1 --timeout 3000 \
        --vs "rpcclient -s $client_conf -U $logon $host -c '$calls'" -- "$program" "$@" |
        grep -E "wall|exit"
}

# reselect NAME HOST SHARE: the selection timed inside an open program, RUNS times; the
# medians of the first selection and of the second (its accounts known by then).
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
reselect() {
    local name=$1 host=$2 share=$3 i
    grep -qE -- "$cases" <<<"$name" || return 0
    echo "== $name ($host)"
    for ((i = 0; i < runs; i++)); do "$program" reselect "$host" "$share" 2>/dev/null; done |
        sed -nE 's/selections: ([0-9.]+) ms, ([0-9.]+) ms/\1 \2/p' >"$work/selections"
    echo "in the program: first $(cut -d' ' -f1 "$work/selections" | median) ms," \
        "again $(cut -d' ' -f2 "$work/selections" | median) ms" \
        "(medians of $(wc -l <"$work/selections"))"
}

for rtt in 0 50; do
    if [[ $rtt == 0 ]]; then s=$small l=$large; else s=$small_proxy l=$large_proxy; fi
    time_case "open, demo shares, ${rtt} ms" "$s" open "$s"
    time_case "open probing each drive, demo shares, ${rtt} ms" "$s" probe "$s"
    time_case "select Alpha, ${rtt} ms" "$s" select "$s" Alpha
    reselect "select Alpha in the open program, ${rtt} ms" "$s" Alpha
    time_case "open, 5,000 shares, ${rtt} ms" "$l" open "$l"
done
