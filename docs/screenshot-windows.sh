#!/usr/bin/env bash
# Takes docs/main-window-wine.png: the Windows build's main window under Wine, on a display of its
# own, with the declaration accepted earlier and no site answering.
#   docs/screenshot-windows.sh
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
source "$QUVO_ROOT/scripts/windows/lib.sh"

if [ -z "${QUVO_SHOTS_OWN_DISPLAY:-}" ]; then
    quvo_windows_build "$QUVO_ROOT/build-windows" >/dev/null
    quvo_windows_prefix
    export QUVO_SHOTS_OWN_DISPLAY=1
    exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" "$@"
fi

export WINEPREFIX="$QUVO_WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
wine="$QUVO_ROOT/scripts/windows/wine-run"
export QUVO_PRODUCT_SERVER=http://127.0.0.1:9 QUVO_SEARCH_SITE=http://127.0.0.1:9
"$wine" reg add 'HKCU\SOFTWARE\qorvex' /v Agreement /d 1.0.0 /f >/dev/null
"$wine" "$QUVO_ROOT/build-windows/bin/quvo.exe" >/dev/null 2>&1 &
for ((i = 0; i < 200; i++)); do
    id=$(xdotool search --onlyvisible --name 'Quvo盒子2013' 2>/dev/null | head -n1) && [ -n "$id" ] && break
    sleep 0.1
done
[ -n "${id:-}" ] || { echo "no main window" >&2; exit 1; }
sleep 3 # the start animation and the first paint
import -window "$id" "$QUVO_ROOT/docs/main-window-wine.png"
echo "docs/main-window-wine.png"
