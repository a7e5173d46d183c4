#!/usr/bin/env bash
# Starts, stops and reports the Windows-like test server (winlike_server.py, on impacket's SMB
# server) on a loopback address. Everything it uses lives below one directory (default
# /tmp/corvane-test-server/<addr>): the drives C and D, the state file with the shares and
# their descriptors, the log. Run as root (port 445).
set -euo pipefail

SCRIPT_NAME=winlike-server
ADDR=127.0.0.44
START_TIMEOUT=${CORVANE_TEST_SERVER_TIMEOUT:-20}
STOP_TIMEOUT=5
PYTHON=/usr/bin/python3
MARKER=__CORVANE_WINLIKE_SANDBOX

usage() {
    cat <<EOF
usage: $(basename "$0") COMMAND [--addr 127.0.0.N] [--dir DIR]
commands:
  start            start the server (idempotent); prints the environment for tests
  stop             stop it, verified (SIGTERM, then SIGKILL after ${STOP_TIMEOUT}s)
  restart          stop, then start
  status           exit 0 running, 3 stopped, 1 unhealthy; prints the environment when running
  env              print the environment lines only (no checks)
  reset            restore the demo shares and their descriptors (drops added and bulk shares)
  bulk-shares N    the demo shares and exactly N extra shares Bulk00001..
  get SHARE FIELD  one field of a share in the state file (name type remark path max_uses sd)
  destroy          stop and delete the instance directory
options:
  --addr A         loopback address to bind (127.x.y.z), default 127.0.0.44
  --dir DIR        instance directory, default $BASE/<addr>
EOF
}

# shellcheck source=lib.sh
. "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
parse_args "$@"
NETBIOS=WINLIKE${ADDR_OCTETS[2]}

ACCOUNTS=$(printf '{"admin":"%s","admin_password":"%s","user1":"%s","user1_password":"%s","user2":"%s","user2_password":"%s","group":"%s"}' \
    "$ADMIN_USER" "$ADMIN_PASS" "$USER1" "$USER1_PASS" "$USER2" "$USER2_PASS" "$STAFF_GROUP")
# winlike_server.py COMMAND ARGS... with the options that name this instance.
py() { "$PYTHON" "$HERE/winlike_server.py" "$@" --addr "$ADDR" --dir "$DIR" --name "$NETBIOS" --accounts "$ACCOUNTS"; }

# The server carries $MARKER=$DIR in its environment, so it is found without trusting the pid
# file alone.
instance_pids() { marked_pids; }

is_running() { [[ -n $(instance_pids) ]] && port_open; }

print_env() {
    cat <<EOF
CORVANE_TEST_SERVER=$ADDR
CORVANE_TEST_SERVER_KIND=windows-like
CORVANE_TEST_SERVER_NAME=$NETBIOS
CORVANE_TEST_SERVER_DIR=$DIR
CORVANE_TEST_SERVER_STATE=$DIR/state.json
CORVANE_TEST_CLIENT_CONF=$DIR/client.conf
CORVANE_TEST_DOMAIN=$NETBIOS
EOF
    print_account_env C D
}

cmd_stop() {
    need_root
    stop_instance "$STOP_TIMEOUT"
    local deadline=$((SECONDS + 3))
    while port_open && ((SECONDS < deadline)); do sleep 0.1; done
    ! port_open || die "$ADDR:445 still answers after the server stopped"
    rm -f "$DIR/run/server.pid"
    note "stopped on $ADDR"
}

cmd_start() {
    need_root
    [[ -x $PYTHON ]] && "$PYTHON" -c 'import impacket.smbserver' 2>/dev/null ||
        die "$PYTHON with impacket is needed (Debian: apt-get install python3-impacket)"
    if is_running; then
        note "already running on $ADDR"
        print_env >"$DIR/server.env"
        print_env
        return 0
    fi
    [[ -z $(instance_pids) ]] || cmd_stop >/dev/null
    ! port_open || die "$ADDR:445 is already served by something else"
    mkdir -p "$DIR/run" "$DIR/log"
    # Signs as the program does.
    write_client_conf "" $'\tclient signing = required'
    [[ -f $DIR/state.json ]] || py reset >/dev/null
    env "$MARKER=$DIR" setsid "$PYTHON" "$HERE/winlike_server.py" serve --addr "$ADDR" --dir "$DIR" \
        --name "$NETBIOS" --accounts "$ACCOUNTS" </dev/null >>"$DIR/log/stderr.log" 2>&1 &
    local pid=$!
    echo "$pid" >"$DIR/run/server.pid"
    # Until it execs Python the child does not carry the mark yet: its pid says whether it lives.
    await_start "the server on $ADDR:445" "$DIR/log/stderr.log" "$pid" port_open
    print_env >"$DIR/server.env"
    note "running on $ADDR:445 (pid $(cat "$DIR/run/server.pid")), directory $DIR"
    print_env
}

cmd_status() {
    report_status "" "$ADDR:445 does not answer" ""
}

cmd_reset() {
    need_root
    mkdir -p "$DIR"
    py reset
}

cmd_bulk_shares() {
    need_root
    [[ ${ARGS[0]-} =~ ^[0-9]+$ ]] || die "bulk-shares needs a count"
    mkdir -p "$DIR"
    py reset --bulk "${ARGS[0]}"
}

cmd_get() {
    [[ ${#ARGS[@]} -eq 2 ]] || die "get needs SHARE FIELD"
    py get "${ARGS[0]}" "${ARGS[1]}"
}

cmd_destroy() { destroy_instance state.json; }

run_command
