# Shared helpers for the add/change/delete share commands that smbd runs as root.
# Sourced, not executed. Expects $1 of the hook to be the smb.conf path.

hook_init() {
    CONF=$1
    DIR=$(dirname -- "$CONF")
    LOG="$DIR/log/share-hooks.log"
    mkdir -p -- "$DIR/log"
}

hook_log() {
    printf '%s %s\n' "$(date '+%F %T')" "$*" >>"$LOG"
}

# smbd strips the drive letter, so every drive arrives as a Unix path below "/".
# Paths already inside the sandbox stay as they are; a path that names a directory
# of the sandboxed C: or D: tree ("/Data/Alpha" from "C:\Data\Alpha",
# "/Work" from "D:\Work") is re-rooted there; anything else must exist as given.
hook_map_path() {
    local p=$1 rel
    [[ -n $p ]] || { echo ""; return 0; }
    case $p in
        "$DIR" | "$DIR"/*) echo "$p"; return 0 ;;
    esac
    rel=${p#/}
    local drive
    for drive in C D; do
        if [[ -d "$DIR/$drive/$rel" ]]; then
            echo "$DIR/$drive${rel:+/$rel}"
            return 0
        fi
    done
    echo "$p"
}

hook_net() {
    local out rc
    out=$(net -s "$CONF" "$@" 2>&1) && rc=0 || rc=$?
    hook_log "net $* -> $rc${out:+: $out}"
    return $rc
}
