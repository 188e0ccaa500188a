#!/usr/bin/env bash
# Run by scripts/windows/package.sh under xvfb-run: installs <setup.exe> silently into the Wine prefix
# QUVO_WINEPREFIX, starts the program from its Start-menu shortcut (all sites pointed at a closed
# port), waits for its first window, ends it, and uninstalls it again.
set -euo pipefail
setup="$1"
export WINEPREFIX="$QUVO_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
installed="$WINEPREFIX/drive_c/Program Files/Quvo"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quvo盒子/Quvo盒子.lnk"

wine "$setup" /S
[ -f "$installed/quvo.exe" ] || fail "quvo.exe not installed"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
[ -f "$installed/uninstall.exe" ] || fail "no uninstaller"

QUVO_SEARCH_SITE=http://127.0.0.1:9 QUVO_PRODUCT_SERVER=http://127.0.0.1:9 wine start /unix "$shortcut"
for _ in $(seq 1 120); do
    if xdotool search --onlyvisible --name "免责声明|Quvo" >/dev/null 2>&1; then
        break
    fi
    sleep 0.5
done
window=$(xdotool search --onlyvisible --name "免责声明|Quvo" 2>/dev/null | head -1) || true
[ -n "$window" ] || fail "the program started from the shortcut showed no window"
echo "window from the Start-menu shortcut: $(xdotool getwindowname "$window")"
wineserver -k || true

wine "$installed/uninstall.exe" /S
wineserver -w
[ ! -e "$installed" ] || fail "the uninstaller left $(cd "$installed" && find . -type f | head -5)"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
echo "installed, started from the Start menu, uninstalled"
