#!/usr/bin/env bash
# Starts, stops and reports a sandboxed smbd on a loopback address for Corvane's tests.
# Everything the server uses lives below one directory (default
# /tmp/corvane-test-server/<addr>); the system's Samba configuration and state are never read
# or written. Run as root.
set -euo pipefail

SCRIPT_NAME=test-server
ADDR=127.0.0.2
START_TIMEOUT=${CORVANE_TEST_SERVER_TIMEOUT:-30}
# How many processes serve the RPC services (Samba's default when empty). Each keeps the share
# definitions it last loaded, so two may disagree about a share one of them changed; a test
# that must read what the server holds after every change uses one.
RPC_WORKERS=${CORVANE_TEST_RPC_WORKERS:-}
ADMIN_GROUP=corvane-admins
DOMAIN_ADMINS_GROUP=corvane-domain-admins
WORKGROUP=CORVANE
# Environment mark carried by every process of one instance (not one of the printed variables,
# so a shell that sourced server.env is never mistaken for part of the server).
MARKER=__CORVANE_SMBD_SANDBOX

usage() {
    cat <<EOF
usage: $(basename "$0") COMMAND [--addr 127.0.0.N] [--dir DIR]
commands:
  start            start smbd (idempotent); prints the environment for tests
  stop             stop smbd and every helper it started, verified
  restart          stop, then start
  status           report whether it runs; prints the environment when it does
  env              print the environment lines only (no checks)
  reset            restore the demo shares and their ACLs (drops added and bulk shares)
  bulk-shares N    make exactly N extra shares Bulk00001.. (0 removes them), one transaction
  check            exercise the running server with rpcclient and smbclient
  destroy          stop and delete the instance directory
  crash            kill smbd and every helper at once (SIGKILL, no clean-up), verified
  revive           start smbd again after a crash, without the set-up steps of start
  fault [SPEC...]  set faults of the share commands, read on every call (no restart);
                   without SPEC prints those in force. SPEC is one of
                     fail-OP[=COUNT]       the next COUNT OP commands (default 1, 0 every
                                           one) do nothing and fail: the server refuses
                     slow-OP=SEC[/COUNT]   the next COUNT OP commands (default 0, every one)
                                           do their work, then return after SEC seconds
                     no-move | move        the change command ignores a new path (as
                                           Windows' NetShareSetInfo does), or moves again
                     clear                 drop every fail and slow fault
                   OP is add, change or delete
options:
  --addr A         loopback address to bind (127.x.y.z), default 127.0.0.2
  --dir DIR        instance directory, default $BASE/<addr>
  --no-move-in-place   (start) the server cannot move a share in place: as "fault no-move"
  --also-addr "A B"    (start) further loopback addresses the same smbd serves: each answers
                   as a server of its own, one instance for many (benchmarks of many servers)
EOF
}

NO_MOVE=0
ALSO_ADDRS=
script_option() {
    case $1 in
        --no-move-in-place) NO_MOVE=1; return 1 ;;
        --also-addr) ALSO_ADDRS=${2?--also-addr needs a value}; return 2 ;;
        --also-addr=*) ALSO_ADDRS=${1#*=}; return 1 ;;
        *) return 0 ;;
    esac
}

# shellcheck source=lib.sh
. "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
parse_args "$@"

# More addresses the same server answers on (many servers for a benchmark from few processes).
for a in $ALSO_ADDRS; do
    [[ $a =~ ^127\.([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})$ ]] && ((BASH_REMATCH[1] <= 255 &&
        BASH_REMATCH[2] <= 255 && BASH_REMATCH[3] <= 255)) || die "bad address '$a'"
done
INTERFACES=$ADDR/8
for a in $ALSO_ADDRS; do INTERFACES+=" $a/8"; done
NETBIOS=CORVANE${ADDR_OCTETS[2]}
CONF=$DIR/smb.conf
case $DIR in *[[:space:]]*) die "DIR must not contain white space" ;; esac
case $HERE in *[[:space:]]*) die "the script directory must not contain white space" ;; esac

# ---------------------------------------------------------------- helpers

# Every process smbd starts inherits $MARKER=$DIR (marked_pids).
instance_pids() {
    local f
    {
        marked_pids
        # Instances started by the first version of this script carried a different mark;
        # accept it only on Samba's own processes.
        { grep -l -s -z -x -F -- "CORVANE_TEST_SERVER_DIR=$DIR" /proc/[0-9]*/environ || true; } |
            while IFS= read -r f; do
                case $(cat "${f%/environ}/comm" 2>/dev/null) in
                    smbd* | cleanupd | samba-dcerpcd | rpcd_*) f=${f#/proc/} && echo "${f%/environ}" ;;
                esac
            done
    } | sort -un
}

main_pid() {
    local f pid
    for f in "$DIR"/run/smbd*.pid; do
        [[ -f $f ]] || continue
        pid=$(tr -dc '0-9' <"$f")
        if [[ -n $pid ]] && instance_pids | grep -qx -- "$pid"; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}

is_running() { main_pid >/dev/null && port_open; }

net_() { net -s "$CONF" "$@"; }

print_env() {
    cat <<EOF
CORVANE_TEST_SERVER=$ADDR
CORVANE_TEST_SERVER_NAME=$NETBIOS
CORVANE_TEST_SERVER_DIR=$DIR
CORVANE_TEST_SERVER_CONF=$CONF
CORVANE_TEST_CLIENT_CONF=$DIR/client.conf
CORVANE_TEST_DOMAIN=$NETBIOS
EOF
    print_account_env C D
}

write_env_file() { print_env >"$DIR/server.env"; }

# ---------------------------------------------------------------- configuration

write_conf() {
    mkdir -p "$DIR"/{run,lock,state,cache,private,ncalrpc,binddns,log,winbindd,ntp_signd,usershares}
    chmod 700 "$DIR/private"
    chmod 755 "$DIR" "$DIR/ncalrpc"
    local tmp=$CONF.tmp
    cat >"$tmp" <<EOF
# Generated by tools/test-server/test-server.sh; rewritten on every start.
[global]
	netbios name = $NETBIOS
	workgroup = $WORKGROUP
	server string = Corvane test server $ADDR
	server role = standalone server
$( [[ -z $RPC_WORKERS ]] || printf '\trpcd_classic:num_workers = %s\n' "$RPC_WORKERS")
	security = user
	interfaces = $INTERFACES
	bind interfaces only = yes
	smb ports = 445
	disable netbios = yes
	multicast dns register = no

	pid directory = $DIR/run
	lock directory = $DIR/lock
	state directory = $DIR/state
	cache directory = $DIR/cache
	private dir = $DIR/private
	ncalrpc dir = $DIR/ncalrpc
	binddns dir = $DIR/binddns
	winbindd socket directory = $DIR/winbindd
	ntp signd socket directory = $DIR/ntp_signd
	usershare path = $DIR/usershares
	usershare max shares = 0
	passdb backend = tdbsam:$DIR/private/passdb.tdb
	smb passwd file = $DIR/private/smbpasswd
	username map =
$(conf_logging)

	load printers = no
	printing = bsd
	printcap name = /dev/null
	disable spoolss = yes
	show add printer wizard = no
	host msdfs = no
	dns proxy = no
	map to guest = never
	unix extensions = no
	store dos attributes = yes
	server min protocol = SMB2_02
	obey pam restrictions = no
	unix password sync = no

$(conf_share_commands)
EOF
    mv -f "$tmp" "$CONF"
}

ensure_unix_accounts() {
    getent group "$STAFF_GROUP" >/dev/null || groupadd "$STAFF_GROUP"
    local u
    for u in "$ADMIN_USER" "$USER1" "$USER2"; do
        if ! getent passwd "$u" >/dev/null; then
            useradd --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$u"
        fi
    done
    for u in "$USER1" "$USER2"; do
        id -nG "$u" | tr ' ' '\n' | grep -qxF "$STAFF_GROUP" || usermod -a -G "$STAFF_GROUP" "$u"
    done
}

ensure_samba_accounts() {
    local u p
    while read -r u p; do
        printf '%s\n%s\n' "$p" "$p" | smbpasswd -c "$CONF" -s -a "$u" >/dev/null
    done <<EOF
$ADMIN_USER $ADMIN_PASS
$USER1 $USER1_PASS
$USER2 $USER2_PASS
EOF
    if ! net_ groupmap list ntgroup="$STAFF_GROUP" 2>/dev/null | grep -q "^$STAFF_GROUP "; then
        net_ groupmap add unixgroup="$STAFF_GROUP" ntgroup="$STAFF_GROUP" type=domain \
            comment="Corvane test staff" >/dev/null
    fi
    net_ sam rights grant "$ADMIN_USER" SeDiskOperatorPrivilege >/dev/null
}

# Samba lists sessions and open files and closes files only for a caller whose token holds
# BUILTIN\Administrators, and ends sessions only for root or a member of the domain's Domain
# Admins (RID 512). The administrator gets both through two Unix groups mapped to them.
ensure_admin_groups() {
    local group sid type line
    for line in "$ADMIN_GROUP S-1-5-32-544 builtin" "$DOMAIN_ADMINS_GROUP rid=512 domain"; do
        read -r group sid type <<<"$line"
        getent group "$group" >/dev/null || groupadd "$group"
        id -nG "$ADMIN_USER" | tr ' ' '\n' | grep -qxF "$group" || usermod -a -G "$group" "$ADMIN_USER"
        net_ groupmap list 2>/dev/null | grep -q -- "-> $group\$" && continue
        if [[ $sid == rid=* ]]; then
            net_ groupmap add "$sid" unixgroup="$group" ntgroup="Domain Admins" type="$type" >/dev/null
        else
            net_ groupmap add sid="$sid" unixgroup="$group" type="$type" >/dev/null
        fi
    done
}

sid_of() { net_ sam show "$1" 2>/dev/null | sed -n 's/.* with SID \(S-[0-9-]*\).*/\1/p'; }

# ---------------------------------------------------------------- content

mkd() { mkdir -p -- "$@"; }

make_tree() {
    local c=$DIR/C d=$DIR/D
    mkd "$c/Hidden/Inner" "$c/.config/corvane" "$c/Data/Alpha/Docs" "$c/Data/Beta" \
        "$c/Users/$ADMIN_USER" "$c/Users/$USER1" "$c/Users/$USER2" "$c/Program Files/Corvane" \
        "$c/Données/Été" "$c/日本語/資料" "$c/Windows/Temp"
    local deep=$c/Deep i
    for i in 01 02 03 04 05 06 07 08 09; do
        deep+=/Level$i-abcdefghijklmnopqrstuvwxyz
    done
    mkd "$deep/Bottom"
    mkd "$d/Work/Reports" "$d/Work/Drafts" "$d/Public" "$d/Archive/2023" "$d/Archive/2024" \
        "$d/Backup" "$d/Projects/Orion" "$d/Projects/Vega" "$d/Locked" "$d/Scratch" "$d/Bulk"
    [[ -e $c/readme.txt ]] || echo "Corvane test drive C" >"$c/readme.txt"
    [[ -e $d/readme.txt ]] || echo "Corvane test drive D" >"$d/readme.txt"
    [[ -e $c/Data/Alpha/plan.txt ]] || echo "alpha" >"$c/Data/Alpha/plan.txt"
    chown "$USER1" "$c/Users/$USER1"
    chown "$USER2" "$c/Users/$USER2"
    chown "$ADMIN_USER" "$c/Users/$ADMIN_USER"
    chmod 1777 "$d/Scratch"
}

# name|path below DIR|comment|max connections|ACL (sharesec syntax, names resolved below;
# "-" keeps Samba's default, "NULL" stores a security descriptor without a DACL,
# "EMPTY" an empty DACL)
demo_shares() {
    local long='Archive of finished projects. This comment is deliberately long so that list'
    long+=' columns, tool tips and property pages have to cope with text that runs far beyond'
    long+=' the visible width of any reasonable column, up to the limit of what servers keep.'
    cat <<EOF
C\$|C|Default share|0|-
D\$|D|Default share|0|-
Public|D/Public|Public files for everyone|0|S-1-1-0:ALLOWED/0/FULL
Data|C/Data|Company data|0|-
Alpha|C/Data/Alpha|Project Alpha|5|@STAFF:ALLOWED/0/READ,@USER2:DENIED/0/CHANGE,@ADMIN:ALLOWED/0/FULL
Beta|C/Data/Beta|Project Beta|10|@USER1:ALLOWED/0/FULL,@USER2:ALLOWED/0/READ
Work|D/Work|Work in progress|25|S-1-1-0:ALLOWED/0/READ,@STAFF:ALLOWED/0/CHANGE
Archive|D/Archive|$long|0|S-1-5-32-544:ALLOWED/0/FULL,S-1-1-0:ALLOWED/0/READ
Backup\$|D/Backup|Hidden backup share|0|@ADMIN:ALLOWED/0/FULL
Données|C/Données|Données partagées — été 2024|3|S-1-1-0:ALLOWED/0/CHANGE
日本語|C/日本語|日本語の共有フォルダー|0|@USER1:ALLOWED/0/FULL,@STAFF:ALLOWED/0/READ
Open|D/Projects|No access control (null DACL)|0|NULL
Locked|D/Locked|Nobody may enter (empty DACL)|0|EMPTY
Users|C/Users|User folders|1|-
Scratch|D/Scratch|Scratch space for tests|0|S-1-1-0:ALLOWED/0/FULL
EOF
}

share_section() { # name path comment max [extra lines]
    printf '[%s]\n\tpath = %s\n\tcomment = %s\n\tread only = no\n' "$1" "$2" "$3"
    [[ $4 == 0 ]] || printf '\tmax connections = %s\n' "$4"
    [[ -z ${5-} ]] || printf '%s\n' "$5"
}

write_demo_conf() {
    local name path comment max acl extra
    while IFS='|' read -r name path comment max acl; do
        extra=
        [[ $name == 'C$' ]] && extra=$'\thide files = /Hidden/'
        share_section "$name" "$DIR/$path" "$comment" "$max" "$extra"
    done < <(demo_shares)
}

# sharesec cannot express "DACL present but null"; write that descriptor directly, keyed the
# way Samba keys share_info.tdb.
store_null_dacl() {
    /usr/bin/python3 - "$DIR/state/share_info.tdb" "$1" <<'PY'
import os, sys, tdb
from samba.dcerpc import security
from samba.ndr import ndr_pack
sd = security.descriptor()
sd.revision = 1
sd.type = security.SEC_DESC_SELF_RELATIVE | security.SEC_DESC_DACL_PRESENT
sd.owner_sid = security.dom_sid(security.SID_BUILTIN_ADMINISTRATORS)
sd.group_sid = security.dom_sid(security.SID_BUILTIN_ADMINISTRATORS)
db = tdb.Tdb(sys.argv[1], 0, tdb.DEFAULT, os.O_RDWR | os.O_CREAT, 0o666)
db.transaction_start()
db[("SECDESC/" + sys.argv[2].lower()).encode() + b"\0"] = ndr_pack(sd)
db.transaction_commit()
PY
}

apply_demo_acls() {
    local admin user1 user2 staff
    admin=$(sid_of "$ADMIN_USER") user1=$(sid_of "$USER1") user2=$(sid_of "$USER2")
    staff=$(sid_of "$STAFF_GROUP")
    [[ -n $admin && -n $user1 && -n $user2 && -n $staff ]] || die "cannot resolve test account SIDs"
    local name path comment max acl
    while IFS='|' read -r name path comment max acl; do
        acl=${acl//@ADMIN/$admin}
        acl=${acl//@USER1/$user1}
        acl=${acl//@USER2/$user2}
        acl=${acl//@STAFF/$staff}
        case $acl in
            -) sharesec -s "$CONF" "$name" -D >/dev/null 2>&1 || true ;;
            NULL) store_null_dacl "$name" ;;
            EMPTY) sharesec -s "$CONF" "$name" -S 'O:S-1-5-32-544G:S-1-5-32-544D:P' >/dev/null ;;
            *) sharesec -s "$CONF" "$name" -R "$acl" >/dev/null ;;
        esac
    done < <(demo_shares)
}

# The sections of N bulk shares Bulk00001.. in D/Bulk.
bulk_sections() {
    local i
    for ((i = 1; i <= $1; i++)); do
        printf '[Bulk%05d]\n\tpath = %s\n\tcomment = Bulk share %d\n\tread only = no\n' \
            "$i" "$DIR/D/Bulk" "$i"
    done
}

# Replaces the whole registry configuration with the demo set plus $1 bulk shares.
import_shares() {
    local file=$DIR/state/import.conf
    {
        write_demo_conf
        bulk_sections "${1:-0}"
    } >"$file"
    net_ conf import "$file" >/dev/null
}

# Removes stored security descriptors of shares that are not in the demo set, so a share added
# later under an old name starts from Samba's default again.
forget_other_acls() {
    local keep
    keep=$(demo_shares | cut -d'|' -f1)
    local tdb
    for tdb in "$DIR"/state/share_info.tdb "$DIR"/lock/share_info.tdb; do
        [[ -f $tdb ]] || continue
        KEEP=$keep /usr/bin/python3 - "$tdb" <<'PY'
import os, sys, tdb
keep = {n.lower() for n in os.environ["KEEP"].split("\n") if n}
db = tdb.Tdb(sys.argv[1], 0, tdb.DEFAULT, os.O_RDWR)
doomed = []
for k in db.keys():
    s = k.rstrip(b"\0").decode("utf-8", "replace")
    if s.startswith("SECDESC/") and s[len("SECDESC/"):].lower() not in keep:
        doomed.append(k)
if doomed:
    db.transaction_start()
    for k in doomed:
        db.delete(k)
    db.transaction_commit()
PY
    done
}

reset_shares() {
    import_shares 0
    forget_other_acls
    apply_demo_acls
    touch "$DIR/state/demo-loaded"
    reload_smbd
}

# ---------------------------------------------------------------- commands

# A start begins without the share commands' faults; the server cannot move shares in place
# only when started with --no-move-in-place.
reset_faults() {
    [[ -d $DIR ]] || return 0
    rm -f "$DIR/faults"
    if ((NO_MOVE)); then touch "$DIR/no-move-in-place"; else rm -f "$DIR/no-move-in-place"; fi
}

cmd_start() {
    need_root
    reset_faults
    if is_running; then
        note "already running on $ADDR (pid $(main_pid))"
        write_env_file
        print_env
        return 0
    fi
    # A half-dead instance (pid alive but port closed, or helpers left over) is cleared first.
    [[ -z $(instance_pids) ]] || cmd_stop >/dev/null
    local a
    for a in $ADDR $ALSO_ADDRS; do
        ! port_open "$a" || die "$a:445 is already served by something else"
    done
    ensure_unix_accounts
    write_conf
    write_client_conf $'\tworkgroup = '"$WORKGROUP" ""
    make_tree
    {
        ensure_samba_accounts
        ensure_admin_groups
        [[ -f $DIR/state/demo-loaded ]] || reset_shares
    } 2>>"$DIR/log/setup.log" || die "setting up accounts or shares failed; see $DIR/log/setup.log"
    open_state_dbs "$DIR/state"
    reset_faults
    launch_smbd
    write_env_file
    note "running on $ADDR:445 (pid $(main_pid || echo '?')), directory $DIR"
    note "administrator $NETBIOS\\$ADMIN_USER password $ADMIN_PASS; users $USER1/$USER1_PASS, $USER2/$USER2_PASS"
    print_env
}

# Starts smbd on the prepared instance and waits until it answers.
launch_smbd() {
    rm -f "$DIR"/run/smbd*.pid
    # -l keeps the logs of smbd and of the RPC helpers it starts (which ignore "log file")
    # inside the instance directory.
    # _NO_WINBINDD: never ask a winbindd of the machine (such as the test domain controller's,
    # on the default socket) about accounts; this server knows only its own.
    env "$MARKER=$DIR" _NO_WINBINDD=1 smbd -D -s "$CONF" -l "$DIR/log"
    local a
    for a in $ADDR $ALSO_ADDRS; do
        await_start "smbd on $a:445" "$DIR/log/log.smbd" "" port_open "$a"
    done
}

cmd_stop() {
    need_root
    # smbd, samba-dcerpcd and the rpcd workers all stop on TERM; signal them together.
    stop_instance 5
    ! port_open || die "port $ADDR:445 still answers after stopping (another server?)"
    rm -f "$DIR"/run/*.pid
    echo "stopped"
}

cmd_status() {
    report_status "running on $ADDR:445 (pid $(main_pid)), directory $DIR" \
        "$ADDR:445 does not answer" stopped
}

cmd_reset() {
    need_instance "$CONF"
    reset_shares
    echo "demo shares restored"
}

cmd_bulk_shares() {
    local n=${ARGS[0]-}
    need_instance "$CONF"
    [[ $n =~ ^[0-9]+$ ]] || die "bulk-shares needs a count"
    # Keep whatever is configured now except earlier bulk shares, then add the new ones, all
    # in one import (a single registry transaction).
    local file=$DIR/state/import.conf
    {
        net_ conf list | awk '
            /^\[/ { skip = ($0 ~ /^\[Bulk[0-9]+\]$/); if ($0 == "[global]") skip = 1 }
            !skip'
        bulk_sections "$n"
    } >"$file"
    net_ conf import "$file" >/dev/null
    reload_smbd
    echo "$n bulk shares configured"
}

# Exercises what the integration tests rely on, with Debian's rpcclient and smbclient.
cmd_check() {
    is_running || die "not running on $ADDR"
    local cc=$DIR/client.conf admin="$ADMIN_USER%$ADMIN_PASS" out fails=0 probe=CorvaneCheck$$
    local win_d="C:${DIR//\//\\\\}\\\\D\\\\Scratch"
    rpc() { rpcclient -s "$cc" -U "$1" "$ADDR" -c "$2" 2>&1 || true; }
    out=$(rpc "$admin" netshareenumall)
    expect "enumerate shares" 'netname: Alpha' "$out"
    expect "C\$ and D\$ served" 'netname: D\$' "$out"
    out=$(rpc "$admin" "netsharegetinfo Alpha 502")
    expect "level 502 carries the share ACL" 'DENIED' "$out"
    out=$(rpc "$admin" "netshareadd $win_d $probe 3 \"check share\"; netsharegetinfo $probe 2")
    expect "NetrShareAdd under the sandbox" "remark:.*check share" "$out"
    out=$(rpc "$admin" "netsharesetinfo $probe \"changed comment\"; netsharegetinfo $probe 1")
    expect "NetrShareSetInfo comment" 'changed comment' "$out"
    # (a new connection: a worker's own connection may still show the old definition)
    rpc "$admin" "netsharedel $probe" >/dev/null
    out=$(rpc "$admin" "netsharegetinfo $probe")
    expect "NetrShareDel" 'WERR_(INVALID_NAME|NET_NAME_NOT_FOUND)' "$out"
    out=$(rpc "$USER1%$USER1_PASS" "netshareadd $win_d ${probe}x")
    expect "ordinary user may not add shares" 'ACCESS_DENIED' "$out"
    out=$(rpc "$admin" "lookupnames $USER1 $STAFF_GROUP Everyone")
    expect "account lookups" "$STAFF_GROUP S-1-5-21-.*Domain Group" "$out"
    out=$(smbclient -s "$cc" -U "$admin" "//$ADDR/C\$" -c 'ls' 2>&1 || true)
    expect "C\$ lists a hidden directory" 'Hidden +DH' "$out"
    out=$(smbclient -s "$cc" -U "$admin" "//$ADDR/C\$" -c 'ls 日本語\*' 2>&1 || true)
    expect "non-ASCII directory names" '資料' "$out"
    out=$(smbclient -s "$cc" -U "$USER2%$USER2_PASS" "//$ADDR/Alpha" -c 'ls' 2>&1 || true)
    expect "share ACL denies $USER2 on Alpha" 'ACCESS_DENIED' "$out"
    ((fails == 0)) || die "$fails check(s) failed"
    echo "all checks passed"
}

cmd_destroy() { destroy_instance smb.conf; }

# Kills the whole instance at once, as a crash or a power cut would: nothing is told to stop.
cmd_crash() {
    need_root
    local pids i
    for ((i = 0; i < 100; i++)); do
        pids=$(instance_pids)
        [[ -n $pids ]] || break
        kill -KILL $pids 2>/dev/null || true
        sleep 0.05
    done
    [[ -z $pids ]] || die "processes survived SIGKILL: $pids"
    ! port_open || die "port $ADDR:445 still answers after the crash (another server?)"
    echo "crashed"
}

# Starts smbd again on an instance that start prepared (accounts, shares and configuration
# survive a crash), skipping those steps so the server is back in a fraction of a second.
cmd_revive() {
    need_instance "$CONF"
    if is_running; then
        echo "running on $ADDR:445 (pid $(main_pid))"
        return 0
    fi
    [[ -z $(instance_pids) ]] || cmd_crash >/dev/null
    ! port_open || die "$ADDR:445 is already served by something else"
    launch_smbd
    echo "running on $ADDR:445 (pid $(main_pid || echo '?'))"
}

cmd_fault() {
    need_instance "$CONF"
    local file=$DIR/faults spec op rest secs count lines=()
    if ((${#ARGS[@]} == 0)); then
        [[ -e $DIR/no-move-in-place ]] && echo "no-move"
        [[ -s $file ]] && cat "$file"
        return 0
    fi
    exec 9<>"$file.lock"
    flock 9
    [[ -f $file ]] && mapfile -t lines <"$file"
    for spec in "${ARGS[@]}"; do
        case $spec in
            no-move) touch "$DIR/no-move-in-place" ;;
            move) rm -f "$DIR/no-move-in-place" ;;
            clear) lines=() ;;
            fail-add* | fail-change* | fail-delete*)
                rest=${spec#fail-}
                op=${rest%%=*}
                count=1
                [[ $rest == *=* ]] && count=${rest#*=}
                [[ $op =~ ^(add|change|delete)$ && $count =~ ^[0-9]+$ ]] || die "bad fault '$spec'"
                lines+=("fail $op $count")
                ;;
            slow-add=* | slow-change=* | slow-delete=*)
                rest=${spec#slow-}
                op=${rest%%=*}
                secs=${rest#*=}
                count=0
                if [[ $secs == */* ]]; then
                    count=${secs#*/}
                    secs=${secs%%/*}
                fi
                [[ $secs =~ ^[0-9]+(\.[0-9]+)?$ && $count =~ ^[0-9]+$ ]] || die "bad fault '$spec'"
                lines+=("slow $op $secs $count")
                ;;
            *) die "unknown fault '$spec' (see --help)" ;;
        esac
    done
    if ((${#lines[@]})); then printf '%s\n' "${lines[@]}" >"$file.new"; else : >"$file.new"; fi
    mv -f "$file.new" "$file"
    flock -u 9
}

run_command
