# Shared helpers for the add/change/delete share commands that smbd runs as root.
# Sourced, not executed. Expects $1 of the hook to be the smb.conf path.

hook_init() {
    export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    CONF=$1
    DIR=$(dirname -- "$CONF")
    LOG="$DIR/log/share-hooks.log"
    mkdir -p -- "$DIR/log"
}

hook_log() {
    printf '%s %s\n' "$(date '+%F %T')" "$*" >>"$LOG"
}

hook_net() {
    local out rc
    out=$(net -s "$CONF" "$@" 2>&1) && rc=0 || rc=$?
    hook_log "net $* -> $rc${out:+: $out}"
    return $rc
}
