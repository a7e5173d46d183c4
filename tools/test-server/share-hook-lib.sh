# Shared helpers for the add/change/delete share commands that smbd runs as root.
# Sourced, not executed. Expects $1 of the hook to be the smb.conf path.
#
# Faults for tests, read from the instance directory on every call (no restart needed; set
# them with `test-server.sh fault`):
#   DIR/no-move-in-place   the change command ignores a new path, as Windows' NetShareSetInfo
#                          does: a share cannot be moved in place
#   DIR/faults             lines "fail OP COUNT" (the next COUNT OP commands do nothing and
#                          exit 1, so the server refuses the call) and "slow OP SECONDS COUNT"
#                          (the next COUNT OP commands do their work, then return only after
#                          SECONDS); OP is add, change or delete; COUNT 0 means every one

hook_init() {
    export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    CONF=$1
    DIR=$(dirname -- "$CONF")
    LOG="$DIR/log/share-hooks.log"
    HOOK_SLOW=0
    mkdir -p -- "$DIR/log"
}

# Ends the hook with a failure when the share's directory PATH does not exist.
hook_need_directory() { # OP NAME PATH
    if [[ ! -d $3 ]]; then
        hook_log "$1 '$2': no such directory '$3'"
        hook_exit 1
    fi
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

# Takes this call's share of the faults set for OP: exits 1 at once for a failure, and leaves
# the delay in HOOK_SLOW for hook_exit. A counted fault is used up by the calls it hits.
hook_faults() {
    local op=$1 file=$DIR/faults kind o a b rest keep=() fail=0
    [[ -s $file ]] || return 0
    exec 9<>"$file.lock"
    flock 9
    while read -r kind o a b rest; do
        [[ -n $kind ]] || continue
        if [[ $o != "$op" ]]; then
            keep+=("$kind $o $a${b:+ $b}")
            continue
        fi
        case $kind in
            fail)
                fail=1
                if [[ $a == 0 ]]; then keep+=("fail $o 0"); elif ((a > 1)); then keep+=("fail $o $((a - 1))"); fi
                ;;
            slow)
                HOOK_SLOW=$a
                if [[ $b == 0 ]]; then keep+=("slow $o $a 0"); elif ((b > 1)); then keep+=("slow $o $a $((b - 1))"); fi
                ;;
        esac
    done <"$file"
    if ((${#keep[@]})); then printf '%s\n' "${keep[@]}" >"$file.new"; else : >"$file.new"; fi
    mv -f "$file.new" "$file"
    flock -u 9
    if ((fail)); then
        hook_log "$op: refused (fault set for the test)"
        exit 1
    fi
    ((HOOK_SLOW == 0)) || hook_log "$op: answering after ${HOOK_SLOW}s (fault set for the test)"
}

# Ends the hook with `rc`, after the delay a slow fault asked for.
hook_exit() {
    ((HOOK_SLOW == 0)) || sleep "$HOOK_SLOW"
    exit "$1"
}
