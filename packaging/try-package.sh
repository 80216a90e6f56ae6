#!/usr/bin/env bash
# Tries the Debian package as a user would: installs it with apt, starts `velmora` on a private
# X server, checks that its window comes up showing the lesson player, then purges the package
# and checks that none of its files are left behind. Needs root (or sudo) for apt.
#
# Usage: packaging/try-package.sh [DEB]   (default: the velmora_*.deb in build-deb/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-$(ls -t "$root"/build-deb/velmora_*.deb 2>/dev/null | head -n1)}
[ -f "$deb" ] || { echo "FAIL: no package (build one with packaging/build-deb.sh)"; exit 1; }
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q 'install ok installed'; then
    echo "FAIL: velmora is installed already; this script installs and purges it itself"
    exit 1
fi

OUT=$(mktemp -d)
source "$root/tests/e2e/x_session.sh"
PLAYER_PID= XVFB_PID=
cleanup() {
    [ -n "$PLAYER_PID" ] && kill "$PLAYER_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    # Never leave the package behind, whatever failed.
    if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q 'install ok'; then
        $sudo apt-get purge -y -qq velmora >/dev/null 2>&1 || true
    fi
    rm -rf "$OUT"
}
trap cleanup EXIT

# The files the package holds, and the folders that are its own.
mapfile -t owned < <(dpkg-deb -c "$deb" | sed -E 's/ -> .*//' | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '^/$')

log "installing $(basename "$deb")"
(cd "$(dirname "$deb")" && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$(basename "$deb")" >"$OUT/apt.log" 2>&1) ||
    { cat "$OUT/apt.log"; echo "FAIL: apt could not install the package"; exit 1; }
command -v velmora >/dev/null || { echo "FAIL: no velmora on the PATH after installing"; exit 1; }
appstreamcli validate --no-net /usr/share/metainfo/io.github.velmora.Velmora.metainfo.xml >"$OUT/appstream.log" 2>&1 ||
    { cat "$OUT/appstream.log"; echo "FAIL: the installed AppStream file does not validate"; exit 1; }
for size in 16 32 48 64 128 256; do
    [ -f "/usr/share/icons/hicolor/${size}x${size}/apps/velmora.png" ] || { echo "FAIL: no ${size} px icon"; exit 1; }
done

start_xvfb
log "starting velmora on $DISPLAY"
QT_QPA_PLATFORM=xcb velmora >"$OUT/velmora.log" 2>&1 &
PLAYER_PID=$!
wait_until 20 xdotool search --onlyvisible --name '^Velmora$' >/dev/null ||
    { cat "$OUT/velmora.log"; echo "FAIL: the window did not appear"; exit 1; }
window=$(xdotool search --onlyvisible --name '^Velmora$' | head -n1)
window_rect "$window" || { echo "FAIL: the window has no size"; exit 1; }
[ "$WIDTH" -gt 300 ] && [ "$HEIGHT" -gt 300 ] || { echo "FAIL: the window is ${WIDTH}x${HEIGHT}"; exit 1; }
kill -0 "$PLAYER_PID" 2>/dev/null || { echo "FAIL: velmora exited"; exit 1; }
log "window up: ${WIDTH}x${HEIGHT}"
kill "$PLAYER_PID"
wait "$PLAYER_PID" 2>/dev/null || true
PLAYER_PID=

log "purging"
$sudo apt-get purge -y -qq velmora >"$OUT/apt.log" 2>&1 || { cat "$OUT/apt.log"; echo "FAIL: purge failed"; exit 1; }
left=0
for path in "${owned[@]}"; do
    path=${path%/}
    # Folders that other packages share (/usr/bin, the icon theme's) stay; ours must go.
    if [ -e "$path" ] || [ -L "$path" ]; then
        if [ ! -d "$path" ] || [[ "$path" == *velmora* ]]; then
            echo "left behind: $path"
            left=1
        fi
    fi
done
[ "$left" -eq 0 ] || { echo "FAIL: files of the package are left after the purge"; exit 1; }
log "PASS: installed, ran and purged cleanly"
