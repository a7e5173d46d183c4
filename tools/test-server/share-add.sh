#!/usr/bin/env bash
# add share command: CONF SHARE PATH COMMENT MAXCONNECTIONS
set -u
. "$(dirname -- "${BASH_SOURCE[0]}")/share-hook-lib.sh"
hook_init "$1"
name=$2 comment=${4-} max=${5-0}
path=${3-}
hook_log "add '$name' '$path' '$comment' $max"
hook_faults add
hook_need_directory add "$name" "$path"
hook_net conf addshare "$name" "$path" writeable=y guest_ok=n "$comment" || hook_exit 1
if [[ $max =~ ^[0-9]+$ && $max -gt 0 ]]; then
    hook_net conf setparm "$name" "max connections" "$max" || hook_exit 1
fi
hook_exit 0
