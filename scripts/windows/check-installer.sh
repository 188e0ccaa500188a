#!/usr/bin/env bash
# Run by scripts/windows/package.sh under xvfb-run: installs <setup.exe> silently into the Wine prefix
# QUVO_WINEPREFIX and checks what it wrote; starts the program from its Start-menu shortcut (all sites
# pointed at a closed port) and waits for its first window; checks that installer and uninstaller leave a running program alone; ends it, and uninstalls.
set -euo pipefail
setup="$1"
export WINEPREFIX="$QUVO_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export QUVO_SEARCH_SITE=http://127.0.0.1:9 QUVO_PRODUCT_SERVER=http://127.0.0.1:9
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
installed="$WINEPREFIX/drive_c/Program Files/Quvo"
install_dir='C:\Program Files\Quvo'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quvo盒子/Quvo盒子.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quvo'
emulation_key='HKLM\Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION'

# reg_value <key> <value>: the value's data as `reg query` prints it (REG_DWORD as 0x...), blanks within it
# kept; empty when missing.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print }'
}
wait_for_window() {
    for _ in $(seq 1 120); do
        xdotool search --onlyvisible --name "免责声明|Quvo" >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    return 1
}

wine "$setup" /S
[ -f "$installed/quvo.exe" ] || fail "quvo.exe not installed"
[ -f "$installed/styles/qwindowsvistastyle.dll" ] || fail "the native style is not installed"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
[ -f "$installed/uninstall.exe" ] || fail "no uninstaller"
[ "$(reg_value "$uninstall_key" InstallLocation)" = "$install_dir" ] ||
    fail "InstallLocation is '$(reg_value "$uninstall_key" InstallLocation)'"
size_kib=$(($(reg_value "$uninstall_key" EstimatedSize)))
files_kib=$(du -sk --apparent-size "$installed" | cut -f1)
# What the installer measured, within a tenth of what the folder holds.
[ "$size_kib" -gt $((files_kib * 9 / 10)) ] && [ "$size_kib" -lt $((files_kib * 11 / 10)) ] ||
    fail "EstimatedSize $size_kib KiB, the folder holds $files_kib KiB"
[ "$(reg_value "$emulation_key" quvo.exe)" = 0x2af9 ] || fail "FEATURE_BROWSER_EMULATION for quvo.exe is not 11001"
echo "installed: InstallLocation, EstimatedSize $size_kib KiB, FEATURE_BROWSER_EMULATION 11001"

wine start /unix "$shortcut"
wait_for_window || fail "the program started from the shortcut showed no window"
window=$(xdotool search --onlyvisible --name "免责声明|Quvo" 2>/dev/null | head -1) || true
echo "window from the Start-menu shortcut: $(xdotool getwindowname "$window")"
wineserver -k || true

# The installed program again, from its folder, for the checks while it runs.
(cd "$installed" && wine quvo.exe >/dev/null 2>&1 &)
wait_for_window || fail "the program showed no window"

# While it runs (its mutex "TheStandard" exists) the installer and the uninstaller change nothing and
# end with an error; a user is asked to end the program first (a silent run answers Cancel).
before=$(stat -c %Y "$installed/quvo.exe")
status=0
wine "$setup" /S || status=$?
[ "$status" -ne 0 ] || fail "the installer went on over the running program"
status=0
# "_?=" (run in place, so its exit status is the uninstaller's own) counts only unquoted and last; Wine
# quotes an argument with a blank, so the folder goes by its short name.
wine "$installed/uninstall.exe" /S '_?=C:\PROGRA~1\Quvo' || status=$?
[ "$status" -ne 0 ] || fail "the uninstaller went on while the program ran"
[ -f "$installed/quvo.exe" ] && [ "$(stat -c %Y "$installed/quvo.exe")" = "$before" ] ||
    fail "quvo.exe was touched while the program ran"
[ -n "$(reg_value "$uninstall_key" UninstallString)" ] || fail "the uninstall entry went while the program ran"
echo "the running program stopped the installer (status $status) and the uninstaller"
wineserver -k || true

wine "$installed/uninstall.exe" /S
wineserver -w
[ ! -e "$installed" ] || fail "the uninstaller left $(cd "$installed" && find . -type f | head -5)"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
[ -z "$(reg_value "$uninstall_key" UninstallString)" ] || fail "the uninstall entry stayed"
[ -z "$(reg_value "$emulation_key" quvo.exe)" ] || fail "FEATURE_BROWSER_EMULATION for quvo.exe stayed"
echo "installed, started from the Start menu, uninstalled"
