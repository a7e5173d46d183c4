#!/usr/bin/env bash
# Installs everything Corvane needs to build, run and test on Debian (run as root).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
    libsmbclient-dev samba-dev libtalloc-dev libtevent-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev clang-format
    breeze-icon-theme adwaita-icon-theme
    samba smbclient
    xvfb xauth imagemagick
    procps psmisc iproute2
    # the package: icons drawn from their SVG, desktop files checked
    librsvg2-bin desktop-file-utils appstream dpkg-dev
)
if [[ -f "$here/test-server/packages.txt" ]]; then
    while read -r pkg; do
        [[ -n "$pkg" && "$pkg" != \#* ]] && packages+=("$pkg")
    done < "$here/test-server/packages.txt"
fi

missing=()
for pkg in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The distribution's smbd, nmbd and winbind are not wanted: the tests run their own sandboxed
# server on loopback addresses.
for svc in smbd nmbd samba-ad-dc winbind; do
    if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet "$svc" 2>/dev/null; then
        systemctl stop "$svc" || true
    elif [[ -x /etc/init.d/$svc ]] && /etc/init.d/"$svc" status >/dev/null 2>&1; then
        /etc/init.d/"$svc" stop || true
    fi
done
