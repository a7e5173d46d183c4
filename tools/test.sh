#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test (unit, widget and integration tests;
# the integration tests start and stop their own sandboxed Samba servers). Run as root.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
BUILD_DIR="${BUILD_DIR:-$root/build}" "$root/tools/build.sh" "$@"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 900
