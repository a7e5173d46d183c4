# shellcheck shell=bash
# What the test-server scripts (test-server.sh, domain-controller.sh, winlike-server.sh) have in
# common: their arguments, the instance directory, the test accounts and the environment lines
# that name them, finding, waiting for and stopping the processes of one instance.
# Sourced, not executed. Before sourcing, a script sets
#   SCRIPT_NAME    prefix of its messages
#   ADDR           its default address
#   MARKER         the environment mark every process of an instance carries
#   START_TIMEOUT  seconds a start may take
# and may define script_option (called with the remaining arguments, returns the number of them
# it took, 0 for one it does not know). After sourcing it calls parse_args "$@".

# shellcheck disable=SC2034 # read by the scripts that source this
HERE=$(cd -- "$(dirname -- "${BASH_SOURCE[1]}")" && pwd)
BASE=${CORVANE_TEST_SERVER_BASE:-/tmp/corvane-test-server}
DIR=
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

ADMIN_USER=corvaneadmin
ADMIN_PASS='Corvane-Admin-1'
USER1=alice
USER1_PASS='Alice-Pass-1'
USER2=bob
USER2_PASS='Bob-Pass-1'
STAFF_GROUP=corvane-staff

die() { echo "$SCRIPT_NAME: $*" >&2; exit 1; }
note() { echo "$SCRIPT_NAME: $*" >&2; }

need_root() { [[ $(id -u) -eq 0 ]] || die "must run as root"; }

# Sets CMD, ARGS (the words that are no option), ADDR, its octets ADDR_OCTETS and DIR.
parse_args() {
    CMD=${1-}
    [[ -n $CMD ]] || { usage >&2; exit 2; }
    shift
    ARGS=()
    local took
    while (($#)); do
        case $1 in
            --addr) ADDR=${2?--addr needs a value}; shift 2 ;;
            --addr=*) ADDR=${1#*=}; shift ;;
            --dir) DIR=${2?--dir needs a value}; shift 2 ;;
            --dir=*) DIR=${1#*=}; shift ;;
            -h | --help) usage; exit 0 ;;
            *)
                took=0
                if declare -F script_option >/dev/null; then script_option "$@" || took=$?; fi
                if ((took)); then shift "$took"; else ARGS+=("$1"); shift; fi
                ;;
        esac
    done
    [[ $ADDR =~ ^127\.([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})$ ]] ||
        die "address must be a loopback address 127.x.y.z, not '$ADDR'"
    ADDR_OCTETS=("${BASH_REMATCH[@]:1}")
    local o
    for o in "${ADDR_OCTETS[@]}"; do ((o <= 255)) || die "bad address '$ADDR'"; done
    DIR=${DIR:-$BASE/$ADDR}
    [[ $DIR == /* ]] || DIR=$PWD/$DIR
    DIR=${DIR%/}
}

# Whether ADDRESS (default $ADDR) answers on PORT (default 445).
# shellcheck disable=SC2120
port_open() { (exec 3<>"/dev/tcp/${1:-$ADDR}/${2:-445}") 2>/dev/null; }

# The processes that carry $MARKER=$DIR in their environment, this shell excepted: found in
# /proc without trusting pid files or process names.
marked_pids() {
    local f pid
    { grep -l -s -z -x -F -- "$MARKER=$DIR" /proc/[0-9]*/environ || true; } | while IFS= read -r f; do
        pid=${f#/proc/}
        pid=${pid%/environ}
        [[ $pid == "$$" || $pid == "$BASHPID" ]] || echo "$pid"
    done | sort -un
}

# Waits until CHECK... succeeds; after $START_TIMEOUT seconds, or as soon as the process PID
# (when not empty) is gone, shows the end of LOG, stops what started and exits.
await_start() { # WHAT LOG PID CHECK...
    local what=$1 log=$2 pid=$3 deadline=$((SECONDS + START_TIMEOUT))
    shift 3
    until "$@"; do
        if ((SECONDS >= deadline)) || { [[ -n $pid ]] && ! kill -0 "$pid" 2>/dev/null; }; then
            note "$what did not answer within ${START_TIMEOUT}s; log follows"
            tail -n 30 "$log" >&2 2>/dev/null || true
            [[ -z $pid ]] || kill -KILL "$pid" 2>/dev/null || true
            cmd_stop >/dev/null 2>&1 || true
            exit 1
        fi
        sleep 0.05
    done
}

# Stops every process of the instance (instance_pids), verified: TERM to all of them together,
# KILL to those still there after SECONDS.
stop_instance() { # SECONDS
    local pids deadline=$((SECONDS + $1))
    pids=$(instance_pids)
    [[ -n $pids ]] || return 0
    # shellcheck disable=SC2086 # one word a pid
    kill -TERM $pids 2>/dev/null || true
    while [[ -n $pids ]] && ((SECONDS < deadline)); do
        sleep 0.1
        pids=$(instance_pids)
    done
    if [[ -n $pids ]]; then
        note "killing processes that ignored TERM: $pids"
        # shellcheck disable=SC2086
        kill -KILL $pids 2>/dev/null || true
        deadline=$((SECONDS + 3))
        while [[ -n $pids ]] && ((SECONDS < deadline)); do
            sleep 0.1
            pids=$(instance_pids)
        done
    fi
    [[ -z $pids ]] || die "processes still running: $pids"
}

# The status command: RUNNING (a message) and the environment when is_running, exit 1 when
# processes live but do not answer, 3 when nothing runs. An empty message prints nothing.
report_status() { # RUNNING UNHEALTHY STOPPED
    if is_running; then
        [[ -z $1 ]] || echo "$1"
        print_env
        return 0
    fi
    local pids
    pids=$(instance_pids 2>/dev/null || true)
    if [[ -n $pids ]]; then
        echo "unhealthy: processes" $pids "but $2"
        return 1
    fi
    [[ -z $3 ]] || echo "$3"
    return 3
}

need_instance() { # FILE that only a prepared instance has
    need_root
    [[ -f $1 ]] || die "no instance in $DIR (run start first)"
}

# Stops the instance and deletes its directory, when that is below $BASE or holds FILE.
destroy_instance() { # FILE
    need_root
    cmd_stop
    [[ $DIR == "$BASE"/* || -f $DIR/$1 ]] || die "refusing to delete $DIR"
    rm -rf -- "$DIR"
    echo "removed $DIR"
}

# The environment lines of the test accounts, then those of the drive roots named (C, D).
print_account_env() { # DRIVE...
    cat <<EOF
CORVANE_TEST_ADMIN_USER=$ADMIN_USER
CORVANE_TEST_ADMIN_PASSWORD=$ADMIN_PASS
CORVANE_TEST_USER1=$USER1
CORVANE_TEST_USER1_PASSWORD=$USER1_PASS
CORVANE_TEST_USER2=$USER2
CORVANE_TEST_USER2_PASSWORD=$USER2_PASS
CORVANE_TEST_GROUP=$STAFF_GROUP
EOF
    local drive
    for drive in "$@"; do echo "CORVANE_TEST_${drive}_ROOT=$DIR/$drive"; done
}

# smb.conf lines of an instance's log, and of the share commands that keep shares in the
# registry.
conf_logging() {
    cat <<EOF
	logging = file
	log file = $DIR/log/samba.log
	log level = ${CORVANE_TEST_SERVER_LOGLEVEL:-1}
	max log size = 5000
	panic action =
	enable core files = no
EOF
}

conf_share_commands() {
    cat <<EOF
	registry shares = yes
	add share command = $HERE/share-add.sh
	change share command = $HERE/share-change.sh
	delete share command = $HERE/share-delete.sh
EOF
}

# For smbclient/rpcclient/libsmbclient: keeps client-side state out of the system's Samba
# directories. FIRST and LAST are lines (tab first) for the top and the end of [global].
write_client_conf() { # FIRST LAST
    mkdir -p "$DIR"/client/{lock,state,cache,private,run,ncalrpc}
    {
        printf '# Generated by tools/test-server/%s.sh: client tools'"'"' configuration for this server.\n[global]\n' \
            "$SCRIPT_NAME"
        [[ -z $1 ]] || printf '%s\n' "$1"
        cat <<EOF
	lock directory = $DIR/client/lock
	state directory = $DIR/client/state
	cache directory = $DIR/client/cache
	private dir = $DIR/client/private
	pid directory = $DIR/client/run
	ncalrpc dir = $DIR/client/ncalrpc
	log file = $DIR/client/log.client
	client min protocol = SMB2_02
EOF
        [[ -z $2 ]] || printf '%s\n' "$2"
    } >"$DIR/client.conf"
}

# Samba 4.17's RPC workers open these databases lazily, under the identity of the connected
# user, and then fail on root's 0600 files (no shares from the registry, no security
# descriptors at level 502). Inside the sandbox they may be world-writable.
open_state_dbs() { # STATE_DIR
    local f
    for f in registry.tdb share_info.tdb; do
        [[ -f $1/$f ]] || /usr/bin/python3 -c 'import sys, tdb, os; tdb.Tdb(sys.argv[1], 0, tdb.DEFAULT, os.O_RDWR | os.O_CREAT, 0o666)' "$1/$f"
        chmod 0666 "$1/$f"
    done
}

reload_smbd() {
    if main_pid >/dev/null; then
        smbcontrol -s "$CONF" smbd reload-config >/dev/null 2>&1 || true
    fi
}

# For the check commands: one line a check, "ok" or "FAIL" with the text; counts in $fails.
expect() { # DESCRIPTION PATTERN TEXT
    if grep -qE -- "$2" <<<"$3"; then
        echo "ok    $1"
    else
        echo "FAIL  $1"
        sed "s/^/      /" <<<"$3"
        fails=$((fails + 1))
    fi
}

# Runs the command named by $CMD: cmd_NAME (dashes as underscores) where the script defines it.
run_command() {
    case $CMD in
        env) print_env ;;
        restart) cmd_stop >/dev/null; cmd_start ;;
        -h | --help | help) usage ;;
        -*) usage >&2; exit 2 ;;
        *)
            declare -F "cmd_${CMD//-/_}" >/dev/null || { usage >&2; exit 2; }
            "cmd_${CMD//-/_}"
            ;;
    esac
}
