#!/usr/bin/env bash
# change share command: CONF SHARE PATH COMMENT MAXCONNECTIONS CSCPOLICY
set -u
. "$(dirname -- "${BASH_SOURCE[0]}")/share-hook-lib.sh"
hook_init "$1"
name=$2 comment=${4-} max=${5-0} csc=${6-}
path=${3-}
hook_log "change '$name' '$path' '$comment' $max '$csc'"
if [[ ! -d $path ]]; then
    hook_log "change '$name': no such directory '$path'"
    exit 1
fi
hook_net conf setparm "$name" path "$path" || exit 1
hook_net conf setparm "$name" comment "$comment" || exit 1
[[ $max =~ ^[0-9]+$ ]] || max=0
hook_net conf setparm "$name" "max connections" "$max" || exit 1
if [[ -n $csc ]]; then
    hook_net conf setparm "$name" "csc policy" "$csc" || exit 1
fi
exit 0
