#!/usr/bin/env bash
# Installs what is needed, builds, starts the bundled test server on 127.0.0.2 and starts
# Corvane. Run as root (the test server binds port 445 on a loopback address).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
BUILD_DIR="${BUILD_DIR:-$root/build}" "$root/tools/build.sh"
"$root/tools/test-server/test-server.sh" start --addr 127.0.0.2
echo
echo "Type 127.0.0.2 in the Computer box and press Enter; log on with the account printed above."
if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: starting Corvane under Xvfb on :99."
    exec xvfb-run -a -s "-screen 0 1280x800x24" "${BUILD_DIR:-$root/build}/app/corvane"
fi
exec "${BUILD_DIR:-$root/build}/app/corvane"
