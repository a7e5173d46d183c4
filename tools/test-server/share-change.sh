#!/usr/bin/env bash
# change share command: CONF SHARE PATH COMMENT MAXCONNECTIONS CSCPOLICY
set -u
. "$(dirname -- "${BASH_SOURCE[0]}")/share-hook-lib.sh"
hook_init "$1"
name=$2 comment=${4-} max=${5-0} csc=${6-}
path=${3-}
hook_log "change '$name' '$path' '$comment' $max '$csc'"
hook_faults change
hook_need_directory change "$name" "$path"
if [[ -e $DIR/no-move-in-place ]]; then
    hook_log "change '$name': path left as it was (this server cannot move a share in place)"
else
    hook_net conf setparm "$name" path "$path" || hook_exit 1
fi
hook_net conf setparm "$name" comment "$comment" || hook_exit 1
[[ $max =~ ^[0-9]+$ ]] || max=0
hook_net conf setparm "$name" "max connections" "$max" || hook_exit 1
if [[ -n $csc ]]; then
    hook_net conf setparm "$name" "csc policy" "$csc" || hook_exit 1
fi
hook_exit 0
