#!/usr/bin/env bash
# Builds the Debian package corvane_<version>_amd64.deb into OUT_DIR (default: the repository's
# top). Builds only the program, in BUILD_DIR (default: build-package, Release); extra
# arguments go to cmake. Needs the packages of tools/install-deps.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-package}"
out="${OUT_DIR:-$root}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@"
ninja -C "$build" corvane
(cd "$build" && cpack -G DEB -B "$build/package")
deb=$(ls -t "$build"/package/corvane_*_amd64.deb | head -n 1)
cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
