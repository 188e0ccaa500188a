#!/usr/bin/env bash
# Run by scripts/windows/package.sh under xvfb-run:
#   check-installer.sh <setup.exe> <previous-setup.exe> <locked-mutex.exe>
# In the Wine prefix QUVO_WINEPREFIX: installs the earlier version, then <setup.exe> silently over it and
# checks what it wrote and that the earlier version's own files went; starts the program from its
# Start-menu shortcut (all sites pointed at a closed port) and waits for its first window; checks that
# installer and uninstaller refuse (status 2) while the program runs, or while a mutex of its name exists
# that they may not open, and change nothing; ends it and
# uninstalls in place the same way; installs into a folder outside Program Files (protected there) and
# uninstalls.
set -euo pipefail
setup="$1"
previous_setup="$2"
locked_mutex="$3"
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

wine "$previous_setup" /S
[ -f "$installed/retired.txt" ] || fail "the earlier version did not install"
wine "$setup" /S
[ ! -e "$installed/retired.txt" ] || fail "the upgrade left a file of the earlier version"
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
echo "installed over the earlier version (its own file removed): InstallLocation, EstimatedSize $size_kib KiB, FEATURE_BROWSER_EMULATION 11001"

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
[ "$status" -eq 2 ] || fail "the installer ended with status $status over the running program, not 2"
# "_?=" (run in place, so its exit status is the uninstaller's own) counts only unquoted and last; Wine
# quotes an argument with a blank, so the folder goes by its short name.
short_dir=$(winepath -s "$install_dir" | tr -d '\r')
[[ "$short_dir" != *" "* ]] || fail "no short name for $install_dir: $short_dir"
status=0
wine "$installed/uninstall.exe" /S "_?=$short_dir" || status=$?
[ "$status" -eq 2 ] || fail "the uninstaller ended with status $status while the program ran, not 2"
[ -f "$installed/quvo.exe" ] && [ "$(stat -c %Y "$installed/quvo.exe")" = "$before" ] ||
    fail "quvo.exe was touched while the program ran"
[ -n "$(reg_value "$uninstall_key" UninstallString)" ] || fail "the uninstall entry went while the program ran"
echo "the running program stopped the installer and the uninstaller (status 2)"
wineserver -k || true

# A mutex of that name that this account may not open is a running program too.
wine "$locked_mutex" &
sleep 3
status=0
wine "$setup" /S || status=$?
[ "$status" -eq 2 ] || fail "the installer ended with status $status beside a mutex it may not open, not 2"
[ "$(stat -c %Y "$installed/quvo.exe")" = "$before" ] || fail "quvo.exe was touched beside a locked mutex"
echo "a mutex the installer may not open stopped it (status 2)"
wineserver -k || true
wait || true

# The same in-place run, now without the program: it uninstalls (it cannot remove itself while it runs).
status=0
wine "$installed/uninstall.exe" /S "_?=$short_dir" || status=$?
wineserver -w
[ "$status" -eq 0 ] || fail "the in-place uninstaller ended with status $status"
[ ! -e "$installed/quvo.exe" ] || fail "the in-place uninstaller left quvo.exe"
[ "$(cd "$installed" && find . -type f)" = ./uninstall.exe ] ||
    fail "the in-place uninstaller left $(cd "$installed" && find . -type f | head -5)"
[ ! -e "$shortcut" ] || fail "the in-place uninstaller left the shortcut"
[ -z "$(reg_value "$uninstall_key" UninstallString)" ] || fail "the in-place uninstall left its entry"
rm -rf "$installed"
echo "uninstalled in place ($short_dir)"

# A folder outside Program Files gets Program Files' protection before a file is written: an installer
# that cannot give it refuses with status 2. Wine keeps no access list of a file beyond its mode bits, so
# what the folder's list holds can only be read on real Windows; here the installation must go through.
elsewhere="$WINEPREFIX/drive_c/QuvoElsewhere"
status=0
wine "$setup" /S '/D=C:\QuvoElsewhere' || status=$?
[ "$status" -eq 0 ] || fail "the installer ended with status $status for a folder outside Program Files"
[ -f "$elsewhere/quvo.exe" ] || fail "nothing installed into C:\\QuvoElsewhere"
wine "$elsewhere/uninstall.exe" /S
wineserver -w
[ ! -e "$elsewhere" ] || fail "the uninstaller left $(cd "$elsewhere" && find . -type f | head -5)"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
[ -z "$(reg_value "$uninstall_key" UninstallString)" ] || fail "the uninstall entry stayed"
[ -z "$(reg_value "$emulation_key" quvo.exe)" ] || fail "FEATURE_BROWSER_EMULATION for quvo.exe stayed"
echo "installed over an earlier version, started from the Start menu, refused while running, uninstalled in place; protected elsewhere and uninstalled"
