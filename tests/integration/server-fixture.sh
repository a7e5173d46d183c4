#!/usr/bin/env bash
# ctest fixture around tools/test-server/test-server.sh: "start ADDR" starts the server unless
# it already runs and remembers whether it did; "stop ADDR" stops only a server that start
# started, so a server someone else runs (the README's) outlives the tests.
set -euo pipefail
SCRIPT=${CORVANE_TEST_SERVER_SCRIPT:?}
STATE=${CORVANE_FIXTURE_STATE:?}
cmd=${1:?start or stop}
addr=${2:?address}
mkdir -p "$STATE"
marker=$STATE/started-$addr
case $cmd in
    start)
        if "$SCRIPT" status --addr "$addr" >/dev/null 2>&1; then
            rm -f "$marker"
        else
            "$SCRIPT" start --addr "$addr" >/dev/null
            touch "$marker"
        fi
        # Every run begins from the demo shares.
        "$SCRIPT" reset --addr "$addr" >/dev/null
        ;;
    stop)
        if [[ -f $marker ]]; then
            "$SCRIPT" stop --addr "$addr" >/dev/null
            rm -f "$marker"
        fi
        ;;
    *) exit 2 ;;
esac
