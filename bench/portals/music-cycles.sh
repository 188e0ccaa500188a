#!/usr/bin/env bash
# The Windows build's music window opened and closed N times under Wine (default 50): GDI, USER and
# kernel handles and private memory after each cycle, the last against the first.
#   bench/portals/music-cycles.sh [cycles] [--window-only]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source "$QUVO_ROOT/scripts/windows/lib.sh"
if [ -z "${QUVO_BENCH_OWN_DISPLAY:-}" ]; then
    quvo_windows_build "$QUVO_ROOT/build-windows" -DQUVO_BENCH=ON >/dev/null
    quvo_windows_prefix
    export QUVO_BENCH_OWN_DISPLAY=1
    exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" "$@"
fi
export WINEPREFIX="$QUVO_WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p
"$QUVO_ROOT/scripts/windows/wine-run" "$QUVO_ROOT/build-windows/bin/music-cycles.exe" "${1:-50}" "${@:2}"
