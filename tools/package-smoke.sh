#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine with apt-get, starts the installed
# program under Xvfb against the test server, checks that it lists the server's shares, and
# removes the package again. Run as root. BUILD_DIR and BUILD_TYPE as for tools/package.sh;
# SMOKE_SHOT=FILE.png keeps a picture of the screen with the program on it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-package}"
addr=127.0.0.2
work=$(mktemp -d /tmp/corvane-package-smoke.XXXXXX)
installed=no
server=no

fail() {
    echo "package smoke: $*" >&2
    exit 1
}
cleanup() {
    if [[ $server == yes ]]; then
        "$root/tools/test-server/test-server.sh" stop --addr "$addr" >/dev/null 2>&1 || true
    fi
    if [[ $installed == yes ]]; then
        apt-get remove -y corvane >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== package: build, install, run"
deb=$(OUT_DIR="$work" BUILD_DIR="$build" "$root/tools/package.sh" | tail -n 1)
[[ $(basename "$deb") =~ ^corvane_[0-9.]+_amd64\.deb$ ]] || fail "unexpected file $deb"
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
dpkg-deb --field "$deb" Version Depends Recommends Installed-Size
ninja -C "$build" corvane_smoke_probe >/dev/null

echo "== install"
(cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get install -y "./$(basename "$deb")")
installed=yes
for file in /usr/bin/corvane /usr/share/corvane/help/Corvane.html \
    /usr/share/applications/corvane.desktop /usr/share/icons/hicolor/scalable/apps/corvane.svg; do
    [[ -f $file ]] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    png=/usr/share/icons/hicolor/${size}x${size}/apps/corvane.png
    [[ $(identify -format '%wx%h' "$png") == "${size}x${size}" ]] || fail "$png is not ${size}x${size}"
done
desktop-file-validate /usr/share/applications/corvane.desktop
metainfo=$(dpkg -L corvane | grep '^/usr/share/metainfo/.*\.metainfo\.xml$') ||
    fail "no metainfo installed"
appstreamcli validate --no-net "$metainfo"

echo "== run against the test server"
# The test server binds the integration tests' loopback address.
exec 9>/tmp/corvane-integration.lock
flock 9
server=yes
"$root/tools/test-server/test-server.sh" start --addr "$addr" >"$work/server.env"
# shellcheck disable=SC1091
source <(grep '^CORVANE_TEST_[A-Z0-9_]*=' "$work/server.env")
rpcclient -s "$CORVANE_TEST_CLIENT_CONF" -U "$CORVANE_TEST_ADMIN_USER%$CORVANE_TEST_ADMIN_PASSWORD" \
    -c netshareenumall "$addr" | sed -n 's/^[[:space:]]*netname: //p' | sort >"$work/expected"
[[ -s $work/expected ]] || fail "the test server lists no shares"

CORVANE_PROBE_COMPUTER=$addr CORVANE_PROBE_USER=$CORVANE_TEST_ADMIN_USER \
    CORVANE_PROBE_PASSWORD=$CORVANE_TEST_ADMIN_PASSWORD CORVANE_PROBE_SHOT=${SMOKE_SHOT:-} \
    timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" \
    env LD_PRELOAD="$build/tests/package/libcorvane_smoke_probe.so" /usr/bin/corvane \
    >"$work/seen" 2>"$work/stderr" || true
cat "$work/seen"
grep -q '^DONE' "$work/seen" || { cat "$work/stderr" >&2; fail "the program did not list shares"; }
sed -n 's/^SHARE //p' "$work/seen" | sort >"$work/listed"
diff -u "$work/expected" "$work/listed" || fail "the program lists other shares than the server"
grep -qx 'HELP-EXISTS yes' "$work/seen" || fail "the installed program does not find its help"
for window in ICON CONNECT-AS-ICON; do
    grep -Eq "^$window (.*,)?16,.*256" "$work/seen" || fail "$window: no application icon"
done

echo "== remove"
apt-get remove -y corvane >/dev/null
installed=no
[[ ! -e /usr/bin/corvane ]] || fail "the package left /usr/bin/corvane behind"
echo "package smoke: the installed program lists the $(wc -l <"$work/listed") shares of $addr"
