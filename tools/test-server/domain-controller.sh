#!/usr/bin/env bash
# Starts, stops and reports a sandboxed Samba Active Directory domain controller on two loopback
# addresses for Corvane's tests: realm CORVANE.TEST, NetBIOS domain CORVANE.
#
#   ADDR     dc.corvane.test      signing mandatory, NTLM and Kerberos logons
#   ADDR+1   strict.corvane.test  encryption required, NTLM refused (Kerberos only)
#
# Everything lives below one directory (default /tmp/corvane-test-server/<addr>): the domain's
# databases, smb.conf, a krb5.conf and a hosts file for clients (KRB5_CONFIG and libnss-wrapper's
# NSS_WRAPPER_HOSTS), logs, share roots. The machine's /etc files are neither read nor written.
# The domain is provisioned on the first start and kept; later starts take about a second.
# Run as root.
set -euo pipefail

HERE=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
BASE=${CORVANE_TEST_SERVER_BASE:-/tmp/corvane-test-server}
ADDR=127.0.0.10
DIR=
START_TIMEOUT=${CORVANE_TEST_SERVER_TIMEOUT:-60}
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

REALM=CORVANE.TEST
DNS_DOMAIN=corvane.test
DOMAIN=CORVANE
HOST=dc
STRICT_HOST=strict
ADMIN_USER=Administrator
ADMIN_PASS='Corvane-Admin-1'
USER1=alice
USER1_PASS='Alice-Pass-1'
USER2=bob
USER2_PASS='Bob-Pass-1'
STAFF_GROUP=corvane-staff
MARKER=__CORVANE_DC_SANDBOX

die() { echo "domain-controller: $*" >&2; exit 1; }
note() { echo "domain-controller: $*" >&2; }

usage() {
    cat <<EOF
usage: $(basename "$0") COMMAND [--addr 127.0.0.N] [--dir DIR]
commands:
  start            provision (first time only) and start the domain controller; prints the
                   environment for tests
  stop             stop it and every helper it started, verified
  restart          stop, then start
  status           exit 0 running, 3 stopped, 1 unhealthy; prints the environment when running
  env              print the environment lines only (no checks)
  reset            restore the demo shares and their ACLs
  ticket USER CACHE [LIFETIME]
                   get a Kerberos ticket for USER (alice, bob or Administrator) into the
                   ticket cache file CACHE, valid for LIFETIME (default 10h; e.g. 5s)
  check            exercise the running server with Kerberos and NTLM logons
  destroy          stop and delete the instance directory (the next start provisions anew)
options:
  --addr A         first loopback address (127.x.y.z, last octet below 255), default 127.0.0.10;
                   the strict one is the next address
  --dir DIR        instance directory, default $BASE/<addr>
EOF
}

CMD=${1-}
[[ -n $CMD ]] || { usage >&2; exit 2; }
shift
ARGS=()
while (($#)); do
    case $1 in
        --addr) ADDR=${2?--addr needs a value}; shift 2 ;;
        --addr=*) ADDR=${1#*=}; shift ;;
        --dir) DIR=${2?--dir needs a value}; shift 2 ;;
        --dir=*) DIR=${1#*=}; shift ;;
        -h | --help) usage; exit 0 ;;
        *) ARGS+=("$1"); shift ;;
    esac
done

[[ $ADDR =~ ^127\.([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})$ ]] ||
    die "address must be a loopback address 127.x.y.z, not '$ADDR'"
for o in "${BASH_REMATCH[@]:1}"; do ((o <= 255)) || die "bad address '$ADDR'"; done
((BASH_REMATCH[3] < 255)) || die "the last octet must leave room for the strict address"
STRICT_ADDR=127.${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.$((BASH_REMATCH[3] + 1))
DIR=${DIR:-$BASE/$ADDR}
[[ $DIR == /* ]] || DIR=$PWD/$DIR
DIR=${DIR%/}
case $DIR in *[[:space:]]*) die "DIR must not contain white space" ;; esac
CONF=$DIR/smb.conf
AD=$DIR/ad
FQDN=$HOST.$DNS_DOMAIN
STRICT_FQDN=$STRICT_HOST.$DNS_DOMAIN

need_root() { [[ $(id -u) -eq 0 ]] || die "must run as root"; }

port_open() { (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null; }

# The samba master from its pid file, when that pid is still samba.
samba_pid() {
    local pid
    [[ -f $DIR/run/samba.pid ]] || return 1
    pid=$(tr -dc '0-9' <"$DIR/run/samba.pid")
    [[ -n $pid && $(readlink "/proc/$pid/exe" 2>/dev/null) == */samba ]] || return 1
    echo "$pid"
}

# Every process of the instance: whatever carries $MARKER=$DIR in its environment, and the
# members of the session that samba opened when it went into the background (its id is the pid
# in samba.pid; Linux gives no new process that pid while a member lives). Samba's own processes
# overwrite their environment with their process titles, so the mark alone misses them; the
# RPC helpers (samba-dcerpcd, rpcd_*) leave the session but keep the mark.
instance_pids() {
    local session=
    [[ ! -f $DIR/run/samba.pid ]] || session=$(tr -dc '0-9' <"$DIR/run/samba.pid")
    {
        { grep -l -s -z -x -F -- "$MARKER=$DIR" /proc/[0-9]*/environ || true; } |
            sed -e 's|^/proc/||' -e 's|/environ$||'
        [[ -z $session ]] || ps -e -o pid=,sid=,stat= | awk -v s="$session" '$2 == s && $3 !~ /^Z/ { print $1 }'
    } | { grep -vx -e "$$" -e "$BASHPID" || true; } | sort -un
}

main_pid() { samba_pid; }

is_running() {
    main_pid >/dev/null && port_open "$ADDR" 445 && port_open "$STRICT_ADDR" 445 &&
        port_open "$ADDR" 88
}

print_env() {
    cat <<EOF
CORVANE_TEST_DC=$FQDN
CORVANE_TEST_DC_ADDRESS=$ADDR
CORVANE_TEST_DC_STRICT=$STRICT_FQDN
CORVANE_TEST_DC_STRICT_ADDRESS=$STRICT_ADDR
CORVANE_TEST_DC_REALM=$REALM
CORVANE_TEST_DC_DOMAIN=$DOMAIN
CORVANE_TEST_SERVER_DIR=$DIR
CORVANE_TEST_SERVER_CONF=$CONF
CORVANE_TEST_CLIENT_CONF=$DIR/client.conf
KRB5_CONFIG=$DIR/krb5.conf
NSS_WRAPPER_HOSTS=$DIR/hosts
CORVANE_TEST_ADMIN_USER=$ADMIN_USER
CORVANE_TEST_ADMIN_PASSWORD=$ADMIN_PASS
CORVANE_TEST_USER1=$USER1
CORVANE_TEST_USER1_PASSWORD=$USER1_PASS
CORVANE_TEST_USER2=$USER2
CORVANE_TEST_USER2_PASSWORD=$USER2_PASS
CORVANE_TEST_GROUP=$STAFF_GROUP
CORVANE_TEST_D_ROOT=$DIR/D
EOF
}

password_of() {
    case $1 in
        "$ADMIN_USER" | administrator) echo "$ADMIN_PASS" ;;
        "$USER1") echo "$USER1_PASS" ;;
        "$USER2") echo "$USER2_PASS" ;;
        *) return 1 ;;
    esac
}

# ---------------------------------------------------------------- files for clients

write_client_files() {
    mkdir -p "$DIR/client"
    cat >"$DIR/krb5.conf" <<EOF
# Generated by tools/test-server/domain-controller.sh: use with KRB5_CONFIG=$DIR/krb5.conf
[libdefaults]
	default_realm = $REALM
	dns_lookup_realm = false
	dns_lookup_kdc = false
	rdns = false
	dns_canonicalize_hostname = false
	ignore_acceptor_hostname = false
[realms]
	$REALM = {
		kdc = $ADDR
		admin_server = $ADDR
	}
[domain_realm]
	.$DNS_DOMAIN = $REALM
	$DNS_DOMAIN = $REALM
EOF
    # libnss-wrapper's hosts file: LD_PRELOAD=libnss_wrapper.so NSS_WRAPPER_HOSTS=DIR/hosts
    printf '%s %s %s\n' "$ADDR" "$FQDN" "$HOST" "$STRICT_ADDR" "$STRICT_FQDN" "$STRICT_HOST" \
        >"$DIR/hosts"
    cat >"$DIR/client.conf" <<EOF
# Generated by tools/test-server/domain-controller.sh: client tools' configuration.
[global]
	workgroup = $DOMAIN
	realm = $REALM
	lock directory = $DIR/client
	state directory = $DIR/client
	cache directory = $DIR/client
	private dir = $DIR/client
	pid directory = $DIR/client
	ncalrpc dir = $DIR/client
	log file = $DIR/client/log.client
EOF
}

# ---------------------------------------------------------------- configuration

write_conf() {
    mkdir -p "$DIR"/{run,log,ncalrpc,cache,by-address}
    chmod 755 "$DIR" "$DIR/ncalrpc"
    local tmp=$CONF.tmp
    cat >"$tmp" <<EOF
# Generated by tools/test-server/domain-controller.sh; rewritten on every start.
[global]
	netbios name = ${HOST^^}
	workgroup = $DOMAIN
	realm = $REALM
	server role = active directory domain controller
	server services = s3fs, rpc, ldap, kdc, winbindd
	interfaces = $ADDR/8 $STRICT_ADDR/8
	bind interfaces only = yes
	disable netbios = yes
	smb ports = 445
	idmap_ldb:use rfc2307 = yes

	private dir = $AD/private
	state directory = $AD/state
	lock directory = $AD
	binddns dir = $AD/bind-dns
	cache directory = $DIR/cache
	pid directory = $DIR/run
	ncalrpc dir = $DIR/ncalrpc
	logging = file
	log file = $DIR/log/samba.log
	log level = ${CORVANE_TEST_SERVER_LOGLEVEL:-1}
	max log size = 5000
	panic action =
	enable core files = no

	server signing = mandatory
	load printers = no
	printcap name = /dev/null
	disable spoolss = yes
	host msdfs = no
	store dos attributes = yes
	map to guest = never
	server min protocol = SMB2_02

	registry shares = yes
	add share command = $HERE/share-add.sh
	change share command = $HERE/share-change.sh
	delete share command = $HERE/share-delete.sh

	# Settings of one address: %i is the address a client connected to.
	include = $DIR/by-address/%i.conf

[sysvol]
	path = $AD/state/sysvol
	read only = no

[netlogon]
	path = $AD/state/sysvol/$DNS_DOMAIN/scripts
	read only = no
EOF
    mv -f "$tmp" "$CONF"
    printf '[global]\n\tntlm auth = disabled\n\tserver smb encrypt = required\n' \
        >"$DIR/by-address/$STRICT_ADDR.conf"
    : >"$DIR/by-address/$ADDR.conf"
}

# The domain's accounts, made once after provisioning (offline, straight into sam.ldb).
provision() {
    note "provisioning $REALM in $AD"
    rm -rf -- "$AD"
    samba-tool domain provision --realm="$REALM" --domain="$DOMAIN" --server-role=dc \
        --dns-backend=NONE --use-rfc2307 --host-name="$HOST" --host-ip="$ADDR" \
        --adminpass="$ADMIN_PASS" --targetdir="$AD" \
        --option="interfaces = $ADDR/8" --option="bind interfaces only = yes" \
        >"$DIR/log/provision.log" 2>&1 || die "provisioning failed; see $DIR/log/provision.log"
    local db=$AD/private/sam.ldb
    {
        # No password of the test accounts may expire while a machine keeps the domain.
        samba-tool domain passwordsettings set -H "$db" --max-pwd-age=0
        samba-tool user create "$USER1" "$USER1_PASS" -H "$db" --given-name=Alice
        samba-tool user create "$USER2" "$USER2_PASS" -H "$db" --given-name=Bob
        samba-tool group add "$STAFF_GROUP" -H "$db" --description="Corvane test staff"
        samba-tool group addmembers "$STAFF_GROUP" "$USER1,$USER2" -H "$db"
        samba-tool spn add "cifs/$STRICT_FQDN" "${HOST^^}\$" -H "$db"
        samba-tool spn add "host/$STRICT_FQDN" "${HOST^^}\$" -H "$db"
    } >>"$DIR/log/provision.log" 2>&1 || die "creating the test accounts failed; see $DIR/log/provision.log"
    # SIDs for the share ACLs.
    /usr/bin/python3 - "$db" >"$DIR/sids.env" <<'PY'
import sys
from samba.samdb import SamDB
from samba.auth import system_session
from samba.param import LoadParm
from samba.ndr import ndr_unpack
from samba.dcerpc import security
db = SamDB(url=sys.argv[1], session_info=system_session(), lp=LoadParm())
for key, name in (("ADMIN", "Administrator"), ("USER1", "alice"), ("USER2", "bob"),
                  ("STAFF", "corvane-staff"), ("DOMAIN_USERS", "Domain Users"),
                  ("DOMAIN_ADMINS", "Domain Admins")):
    res = db.search(base=db.domain_dn(), expression="(sAMAccountName=%s)" % name,
                    attrs=["objectSid"])
    print("%s=%s" % (key, ndr_unpack(security.dom_sid, res[0]["objectSid"][0])))
PY
    touch "$AD/provisioned"
}

# name|path below DIR|comment|ACL (sharesec syntax; @NAME for a domain SID of sids.env)
demo_shares() {
    cat <<EOF
D\$|D|Default share|-
Staff|D/Staff|Staff files|@STAFF:ALLOWED/0/CHANGE,@DOMAIN_ADMINS:ALLOWED/0/FULL,@USER2:DENIED/0/FULL
Team|D/Team|Team files|@DOMAIN_USERS:ALLOWED/0/READ,@USER1:ALLOWED/0/FULL
Scratch|D/Scratch|Scratch space for tests|S-1-1-0:ALLOWED/0/FULL
EOF
}

make_tree() {
    mkdir -p "$DIR/D/Staff" "$DIR/D/Team" "$DIR/D/Scratch" "$DIR/D/Homes/$USER1" \
        "$DIR/D/Homes/$USER2"
    chmod 1777 "$DIR/D/Scratch"
    [[ -e $DIR/D/readme.txt ]] || echo "Corvane domain controller drive D" >"$DIR/D/readme.txt"
}

reset_shares() {
    local file=$DIR/import.conf name path comment acl
    {
        printf '[global]\n'
        while IFS='|' read -r name path comment acl; do
            printf '[%s]\n\tpath = %s\n\tcomment = %s\n\tread only = no\n' "$name" "$DIR/$path" \
                "$comment"
        done < <(demo_shares)
    } >"$file"
    net -s "$CONF" conf import "$file" >/dev/null
    # Security descriptors of shares that are not in the demo set go with them.
    [[ ! -f $AD/state/share_info.tdb ]] || /usr/bin/python3 - "$AD/state/share_info.tdb" <<'PY'
import os, sys, tdb
db = tdb.Tdb(sys.argv[1], 0, tdb.DEFAULT, os.O_RDWR)
db.transaction_start()
for k in [k for k in db.keys() if k.startswith(b"SECDESC/")]:
    db.delete(k)
db.transaction_commit()
PY
    local -A sid
    while IFS='=' read -r name path; do sid[$name]=$path; done <"$DIR/sids.env"
    while IFS='|' read -r name path comment acl; do
        [[ $acl == - ]] && continue
        for k in "${!sid[@]}"; do acl=${acl//@$k:/${sid[$k]}:}; done
        sharesec -s "$CONF" "$name" -R "$acl" >/dev/null
    done < <(demo_shares)
    # The RPC workers open these as the connected user (see test-server.sh).
    local f
    for f in registry.tdb share_info.tdb; do
        [[ -f $AD/state/$f ]] || /usr/bin/python3 -c 'import sys, tdb, os; tdb.Tdb(sys.argv[1], 0, tdb.DEFAULT, os.O_RDWR | os.O_CREAT, 0o666)' "$AD/state/$f"
        chmod 0666 "$AD/state/$f"
    done
    if main_pid >/dev/null; then
        smbcontrol -s "$CONF" smbd reload-config >/dev/null 2>&1 || true
    fi
}

# ---------------------------------------------------------------- commands

cmd_start() {
    need_root
    if is_running; then
        note "already running on $ADDR and $STRICT_ADDR (pid $(main_pid))"
        print_env
        return 0
    fi
    [[ -z $(instance_pids) ]] || cmd_stop >/dev/null
    local a
    for a in "$ADDR" "$STRICT_ADDR"; do
        ! port_open "$a" 445 || die "$a:445 is already served by something else"
        ! port_open "$a" 88 || die "$a:88 is already served by something else"
    done
    command -v samba >/dev/null || die "samba is not installed (apt-get install samba-ad-dc)"
    local started=$SECONDS
    mkdir -p "$DIR/log"
    [[ -f $AD/provisioned ]] || provision
    write_conf
    write_client_files
    make_tree
    reset_shares 2>>"$DIR/log/setup.log" || die "setting up shares failed; see $DIR/log/setup.log"
    rm -f "$DIR"/run/*.pid
    # The client side of samba (winbindd's and the KDC's own lookups) reads this krb5.conf,
    # never the machine's.
    env "$MARKER=$DIR" KRB5_CONFIG="$DIR/krb5.conf" samba -s "$CONF" -D -l "$DIR/log"
    local deadline=$((SECONDS + START_TIMEOUT))
    until is_running; do
        if ((SECONDS >= deadline)); then
            note "the domain controller did not answer within ${START_TIMEOUT}s; log follows"
            tail -n 30 "$DIR/log/samba.log" >&2 2>/dev/null || true
            cmd_stop >/dev/null || true
            exit 1
        fi
        sleep 0.1
    done
    print_env >"$DIR/server.env"
    note "running on $ADDR ($FQDN) and $STRICT_ADDR ($STRICT_FQDN), pid $(main_pid), in $((SECONDS - started))s"
    print_env
}

cmd_stop() {
    need_root
    local pids i
    pids=$(instance_pids)
    if [[ -n $pids ]]; then
        kill -TERM $pids 2>/dev/null || true
        for ((i = 0; i < 100; i++)); do
            sleep 0.1
            pids=$(instance_pids)
            [[ -n $pids ]] || break
        done
        if [[ -n $pids ]]; then
            note "killing processes that ignored TERM: $pids"
            kill -KILL $pids 2>/dev/null || true
            sleep 0.3
            pids=$(instance_pids)
        fi
        [[ -z $pids ]] || die "processes still running: $pids"
    fi
    ! port_open "$ADDR" 445 || die "port $ADDR:445 still answers after stopping (another server?)"
    rm -f "$DIR"/run/*.pid
    echo "stopped"
}

cmd_status() {
    if is_running; then
        echo "running on $ADDR and $STRICT_ADDR (pid $(main_pid)), directory $DIR"
        print_env
        return 0
    fi
    if [[ -n $(instance_pids 2>/dev/null || true) ]]; then
        echo "unhealthy: processes $(instance_pids | tr '\n' ' ')but the ports do not all answer"
        return 1
    fi
    echo "stopped"
    return 3
}

cmd_ticket() {
    local user=${ARGS[0]-} cache=${ARGS[1]-} lifetime=${ARGS[2]-10h} pass
    [[ -n $user && -n $cache ]] || die "ticket needs a user and a ticket cache file"
    [[ $lifetime =~ ^[0-9]+[smhd]$ ]] || die "bad ticket lifetime '$lifetime'"
    pass=$(password_of "$user") || die "no password known for '$user'"
    [[ -f $DIR/krb5.conf ]] || die "no instance in $DIR (run start first)"
    printf '%s\n' "$pass" | KRB5_CONFIG=$DIR/krb5.conf KRB5CCNAME=FILE:$cache \
        kinit -l "$lifetime" "$user@$REALM" >/dev/null || die "kinit $user@$REALM failed"
}

cmd_check() {
    is_running || die "not running on $ADDR"
    local cc=$DIR/client.conf out fails=0 cache
    cache=$(mktemp)
    expect() { # description, pattern, text
        if grep -qE -- "$2" <<<"$3"; then
            echo "ok    $1"
        else
            echo "FAIL  $1"
            sed "s/^/      /" <<<"$3"
            fails=$((fails + 1))
        fi
    }
    ARGS=("$USER1" "$cache")
    cmd_ticket
    local -a wrap=(env LD_PRELOAD=libnss_wrapper.so NSS_WRAPPER_HOSTS="$DIR/hosts"
        KRB5_CONFIG="$DIR/krb5.conf" KRB5CCNAME="FILE:$cache")
    out=$("${wrap[@]}" rpcclient -s "$cc" --use-kerberos=required -N "$FQDN" \
        -c 'netshareenumall; lookupnames alice corvane-staff "Domain Admins"' 2>&1 || true)
    expect "Kerberos logon, shares listed" 'netname: Staff' "$out"
    expect "domain group lookup" 'corvane-staff S-1-5-21-.*Domain Group' "$out"
    out=$("${wrap[@]}" rpcclient -s "$cc" --use-kerberos=required -N "$STRICT_FQDN" \
        -c 'netshareenumall' 2>&1 || true)
    expect "Kerberos logon to the strict address" 'netname: Staff' "$out"
    out=$(rpcclient -s "$cc" --use-kerberos=disabled -U "$DOMAIN\\$USER1%$USER1_PASS" "$ADDR" \
        -c 'netshareenumall' 2>&1 || true)
    expect "NTLM logon to $ADDR" 'netname: Staff' "$out"
    out=$(rpcclient -s "$cc" --use-kerberos=disabled -U "$DOMAIN\\$USER1%$USER1_PASS" \
        "$STRICT_ADDR" -c 'netshareenumall' 2>&1 || true)
    expect "NTLM refused on $STRICT_ADDR" 'NTLM_BLOCKED' "$out"
    rm -f "$cache"
    ((fails == 0)) || die "$fails check(s) failed"
    echo "all checks passed"
}

cmd_destroy() {
    need_root
    cmd_stop
    [[ $DIR == "$BASE"/* || -f $DIR/smb.conf ]] || die "refusing to delete $DIR"
    rm -rf -- "$DIR"
    echo "removed $DIR"
}

case $CMD in
    start) cmd_start ;;
    stop) cmd_stop ;;
    restart) cmd_stop >/dev/null; cmd_start ;;
    status) cmd_status ;;
    env) print_env ;;
    reset) need_root; [[ -f $CONF ]] || die "no instance in $DIR (run start first)"; reset_shares; echo "demo shares restored" ;;
    ticket) cmd_ticket ;;
    check) cmd_check ;;
    destroy) cmd_destroy ;;
    -h | --help | help) usage ;;
    *) usage >&2; exit 2 ;;
esac
