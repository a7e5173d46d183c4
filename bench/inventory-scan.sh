#!/usr/bin/env bash
# Times a scan of many servers by corvane-cli (8 jobs) against a shell loop of rpcclient over the
# same servers, one after the other, with some silent hosts among them (they accept connections
# and never answer).
#
#   bench/inventory-scan.sh [BUILD_DIR]      (as root; needs rpcclient, python3)
#
# LIVE and SILENT name the addresses (default: 50 test servers on 127.0.3.1-50 and 5 silent
# hosts on 127.0.3.51-55); the servers are started under /tmp/corvane-inventory-bench and
# stopped at the end. rpcclient lists each server's shares at level 502 (descriptors included)
# and resolves no names; corvane-cli also looks up every account of every list.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
ts="$root/tools/test-server/test-server.sh"
export CORVANE_TEST_SERVER_BASE="${CORVANE_TEST_SERVER_BASE:-/tmp/corvane-inventory-bench}"
live=${LIVE-$(for i in $(seq 1 50); do printf '127.0.3.%d ' "$i"; done)}
silent=${SILENT-$(for i in $(seq 51 55); do printf '127.0.3.%d ' "$i"; done)}
work=$(mktemp -d)

listener=
cleanup() {
    [[ -n $listener ]] && kill "$listener" 2>/dev/null || true
    for a in $live; do "$ts" stop --addr "$a" >/dev/null 2>&1 || true; done
    rm -rf "$work"
}
trap cleanup EXIT

for a in $live; do "$ts" start --addr "$a" >/dev/null; done
# The silent hosts: the kernel completes connections to a socket that listens and accepts none.
python3 -c '
import socket, sys, time
keep = []
for a in sys.argv[1:]:
    s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((a, 445)); s.listen(64); keep.append(s)
time.sleep(3600)' $silent &
listener=$!
sleep 1

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

start=$(date +%s.%N)
"$build/cli/corvane-cli" -A "$work/auth" inventory --jobs 8 --output "$work/inventory.csv" \
    $live $silent 2>"$work/cli.err" || true
cli=$(echo "$(date +%s.%N) - $start" | bc)

start=$(date +%s.%N)
for a in $live $silent; do
    timeout 25 rpcclient -s "$CORVANE_TEST_CLIENT_CONF" \
        -U "$CORVANE_TEST_ADMIN_USER%$CORVANE_TEST_ADMIN_PASSWORD" "$a" \
        -c 'netshareenumall 502' >/dev/null 2>&1 || true
done
loop=$(echo "$(date +%s.%N) - $start" | bc)

echo "servers: $count ($(echo $silent | wc -w) silent)"
echo "rows: $(($(wc -l <"$work/inventory.csv") - 1)); failed: $(wc -l <"$work/cli.err")"
printf 'corvane-cli, 8 jobs: %.1f s\nrpcclient loop:      %.1f s\nratio (loop / cli):  %.1f\n' \
    "$cli" "$loop" "$(echo "$loop / $cli" | bc -l)"
