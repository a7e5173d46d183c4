#!/usr/bin/env bash
# Times a scan of many servers by corvane-cli (8 jobs) against a shell loop of rpcclient over the
# same servers, one after the other, with some silent hosts among them (they accept connections
# and never answer).
#
#   bench/inventory-scan.sh [BUILD_DIR]      (as root; needs rpcclient, python3)
#
# LIVE and SILENT name the addresses (default: 50 test servers on 127.0.3.1-50 and 5 silent
# hosts on 127.0.3.51-55); the servers are started under /tmp/corvane-inventory-bench and
# stopped at the end, PER_INSTANCE addresses (default 10) served by each smbd: every address
# is still a server of its own to both clients, with its own connections. rpcclient lists each
# server's shares at level 502 (descriptors included) and resolves no names; corvane-cli also
# looks up every account of every list. The peak resident memory of corvane-cli comes from
# GNU time (/usr/bin/time). Then the inventory window scans the same servers
# (bench_inventory_window), which says how late its event loop's turns came meanwhile.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
ts="$root/tools/test-server/test-server.sh"
export CORVANE_TEST_SERVER_BASE="${CORVANE_TEST_SERVER_BASE:-/tmp/corvane-inventory-bench}"
live=${LIVE-$(for i in $(seq 1 50); do printf '127.0.3.%d ' "$i"; done)}
silent=${SILENT-$(for i in $(seq 51 55); do printf '127.0.3.%d ' "$i"; done)}
per=${PER_INSTANCE:-10}
work=$(mktemp -d)

# The instances: the first address of each group of `per` names it, the others ride along.
instances=()
group=()
for a in $live; do
    group+=("$a")
    if ((${#group[@]} == per)); then
        instances+=("${group[*]}")
        group=()
    fi
done
((${#group[@]} == 0)) || instances+=("${group[*]}")

listener=
cleanup() {
    [[ -n $listener ]] && kill "$listener" 2>/dev/null || true
    for g in "${instances[@]}"; do "$ts" stop --addr "${g%% *}" >/dev/null 2>&1 || true; done
    rm -rf "$work"
}
trap cleanup EXIT

started=$(date +%s.%N)
for g in "${instances[@]}"; do
    read -r first_addr others <<<"$g"
    "$ts" stop --addr "$first_addr" >/dev/null 2>&1 || true # its addresses may have changed
    "$ts" start --addr "$first_addr" --also-addr "$others" >/dev/null
done
printf 'servers started: %d addresses on %d smbd instances in %.0f s\n' "$(echo $live | wc -w)" \
    "${#instances[@]}" "$(echo "$(date +%s.%N) - $started" | bc)"
# The silent hosts: the kernel completes connections to a socket that listens and accepts none.
# Each client gets fresh ones: the connections a client left behind would stay queued.
silence() {
    [[ -n $listener ]] && kill "$listener" 2>/dev/null && wait "$listener" 2>/dev/null || true
    python3 -c '
import socket, sys, time
keep = []
for a in sys.argv[1:]:
    s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((a, 445)); s.listen(64); keep.append(s)
time.sleep(3600)' $silent &
    listener=$!
    sleep 1
}

first=${live%% *}
eval "$("$ts" env --addr "$first" | sed 's/^/export /')"
printf 'username = %s\npassword = %s\n' "$CORVANE_TEST_ADMIN_USER" "$CORVANE_TEST_ADMIN_PASSWORD" \
    >"$work/auth"
count=$(echo $live $silent | wc -w)
# A fresh server's first connection costs more than the others: neither side pays it below.
for a in $live; do
    rpcclient -s "$CORVANE_TEST_CLIENT_CONF" -U "$CORVANE_TEST_ADMIN_USER%$CORVANE_TEST_ADMIN_PASSWORD" \
        "$a" -c 'netshareenumall' >/dev/null 2>&1 || true
done

silence
start=$(date +%s.%N)
/usr/bin/time -f %M -o "$work/rss" \
    "$build/cli/corvane-cli" -A "$work/auth" inventory --jobs 8 --output "$work/inventory.csv" \
    $live $silent 2>"$work/cli.err" || true
cli=$(echo "$(date +%s.%N) - $start" | bc)

silence
start=$(date +%s.%N)
for a in $live $silent; do
    timeout 25 rpcclient -s "$CORVANE_TEST_CLIENT_CONF" \
        -U "$CORVANE_TEST_ADMIN_USER%$CORVANE_TEST_ADMIN_PASSWORD" "$a" \
        -c 'netshareenumall 502' >/dev/null 2>&1 || true
done
loop=$(echo "$(date +%s.%N) - $start" | bc)

# The window over the same servers: how late its event loop's turns come while it scans.
silence
window=$("$build/bench/bench_inventory_window" --jobs 8 $live $silent 2>/dev/null || true)

echo "servers: $count ($(echo $silent | wc -w) silent)"
echo "rows: $(($(wc -l <"$work/inventory.csv") - 1)); failed: $(wc -l <"$work/cli.err")"
echo "corvane-cli peak resident memory: $(($(tail -n 1 "$work/rss") / 1024)) MB"
printf 'corvane-cli, 8 jobs: %.1f s\nrpcclient loop:      %.1f s\nratio (loop / cli):  %.1f\n' \
    "$cli" "$loop" "$(echo "$loop / $cli" | bc -l)"
echo "window: $window"
