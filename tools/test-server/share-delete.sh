#!/usr/bin/env bash
# delete share command: CONF SHARE
set -u
. "$(dirname -- "${BASH_SOURCE[0]}")/share-hook-lib.sh"
hook_init "$1"
hook_log "delete '$2'"
hook_net conf delshare "$2" || exit 1
exit 0
