#!/usr/bin/env bash
# delete share command: CONF SHARE
set -u
. "$(dirname -- "${BASH_SOURCE[0]}")/share-hook-lib.sh"
hook_init "$1"
hook_log "delete '$2'"
hook_faults delete
hook_net conf delshare "$2" || hook_exit 1
hook_exit 0
