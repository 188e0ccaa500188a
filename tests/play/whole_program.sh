#!/usr/bin/env bash
# The whole program against the sample site, on an X display of its own: search a keyword, double
# click a row, choose line 1 -> the row's address reaches the recording browser as one argument;
# Alt+S / Alt+R put the row's address / title on the clipboard. None of that loads the browser
# engine; the MV window's page then does, through the browser module beside the program.
# --without-web-module: the same with the module missing and the advertisement strip switched on;
# every page stays empty (none is even requested) and everything else works.
#   whole_program.sh <quvo program> <sample-site program> [--without-web-module]
set -euo pipefail

if [ "${1:-}" != "--on-display" ]; then
    exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$0" --on-display "$@"
fi
shift
quvo="$1"
sample_site="$2"
with_module=1
[ "${3:-}" = "--without-web-module" ] && with_module=0

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- sample site log:" >&2
    cat "$work/site.log" >&2 2>/dev/null || true
    echo "--- program output:" >&2
    tail -n 40 "$work/quvo.out" >&2 2>/dev/null || true
    exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds="$1"
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# The browser: records each start's arguments, one per line, then a separator line.
browser="$work/record browser"
cat >"$browser" <<SCRIPT
#!/bin/sh
{ for a in "\$@"; do printf '%s\n' "\$a"; done; printf -- '--end--\n'; } >"\$0.\$\$"
cat "\$0.\$\$" >>'$work/launches'
rm -f "\$0.\$\$"
SCRIPT
chmod +x "$browser"

# The sample site on a free port; its first output line is its address. The MV window shows a
# page of the site; without the module the advertisement strip is switched on too.
site_settings=(--set "settings.MtvDef=1" --set "settings.MtvAdr={site}/portal/mv.htm")
[ "$with_module" -eq 1 ] || site_settings+=(--set "settings.AdverDef=1" --set "settings.AdShowtime=0")
"$sample_site" --log "$work/site.log" "${site_settings[@]}" >"$work/site.out" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/site.out" || fail "the sample site did not start"
site="$(head -n 1 "$work/site.out")"

# A fresh registry stand-in: the declaration already accepted, the browser is the recorder.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/qorvex"
cat >"$XDG_CONFIG_HOME/qorvex/registry.ini" <<INI
[HKEY_CLASSES_ROOT]
HTTP\\Shell\\open\\command\\Default=\\"$browser\\" \\"%1\\"

[HKEY_LOCAL_MACHINE]
SOFTWARE\\qorvex\\Agreement=1.0.0
INI
export QUVO_SEARCH_SITE="$site" QUVO_PRODUCT_SERVER="$site"
# A session of its own, so no other running copy counts as the first instance.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="quvo.web.info=true"
[ "$with_module" -eq 1 ] || export QUVO_WEB_MODULE="$work/absent/libquvo-web.so"

"$quvo" >"$work/quvo.out" 2>&1 &
pids+=($!)
quvo_pid=$!
# Libraries the running program has loaded, matching a pattern.
has_loaded() { grep -qi -- "$1" "/proc/$quvo_pid/maps"; }
main_window() { xdotool search --onlyvisible --name 'beta1' 2>/dev/null | head -n 1 || true; }
has_main_window() { [ -n "$(main_window)" ]; }
wait_for 30 has_main_window || fail "the main window did not appear"
win="$(main_window)"
sleep 2 # the settings document is read one second after the window opens

focus_main() { xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"; sleep 0.3; }

# Search: click into the keyword box, type, Enter; rows arrive one per 10 ms.
focus_main
xdotool mousemove --window "$win" 200 93 click 1
xdotool type --delay 30 "matrix"
xdotool key Return
wait_for 15 grep -qs "/search/matrix/1" "$work/site.log" || fail "no search request"
sleep 2

# Double click a row (the third from the top, or the second when the advertisement strip shows).
eval "$(xdotool getwindowgeometry --shell "$win")"
cx=$((X + 200))
cy=$((Y + 190))
xdotool mousemove "$cx" "$cy"
sleep 0.3
xdotool click --repeat 2 --delay 80 1
sleep 1.5

# The selection window opens with its top left corner at (cx - 232, cy - 122); "①号线" sits at
# (116, 54) inside it, above and to the left of the pointer, away from the close button.
xdotool mousemove "$((cx - 232 + 116))" "$((cy - 122 + 54))"
sleep 0.3
xdotool click 1
wait_for 10 test -s "$work/launches" || fail "the browser was not started"
launched="$(cat "$work/launches")"
[ "$(printf '%s\n' "$launched" | wc -l)" -eq 2 ] || fail "not exactly one start with one argument: $launched"
played="$(printf '%s\n' "$launched" | head -n 1)"

# The same row's address, copied with Alt+S, ends the play address.
focus_main
xdotool key alt+s
sleep 0.5
address="$(xclip -o -selection clipboard)"
[ -n "$address" ] || fail "Alt+S copied nothing"
case "$played" in
*"$address") ;;
*) fail "the play address '$played' does not end in the row's address '$address'" ;;
esac
[ "$played" != "$address" ] || fail "the play address has no line base: '$played'"

# Alt+R copies the title of that row; the page the site served holds it.
xdotool key alt+r
sleep 0.5
title="$(xclip -o -selection clipboard)"
[ -n "$title" ] && [ "$title" != "$address" ] || fail "Alt+R did not copy the title (clipboard: '$title')"
# (The page is read whole first: with pipefail, grep -q closing the pipe early would fail curl.)
page="$(curl -s "$site/search/matrix/1")"
grep -qF -- "$title" <<<"$page" || fail "the copied title '$title' is not on the result page"

# The chosen line was counted.
wait_for 10 grep -qs "/update/CldNum1.php" "$work/site.log" || fail "no counter request for line 1"

if [ "$with_module" -eq 1 ]; then
    ! has_loaded webengine || fail "the browser engine was loaded although no page was shown"
else
    grep -qs "/update/entcry.txt" "$work/site.log" || fail "the settings document was not fetched"
    grep -qs "no browser module found" "$work/quvo.out" || fail "the missing browser module was not logged"
fi

# "QV盒子-MV", the third button of the bar (95 x 70 each from x = 2): the window opens and counts.
focus_main
xdotool mousemove --window "$win" 239 38 click 1
mv_window() { [ -n "$(xdotool search --onlyvisible --name 'MTV' 2>/dev/null | head -n 1)" ]; }
wait_for 15 mv_window || fail "the MV window did not open"
wait_for 10 grep -qs "/update/MtvNum.php" "$work/site.log" || fail "no counter request for the MV window"
if [ "$with_module" -eq 1 ]; then
    wait_for 30 grep -qs "GET /portal/mv.htm" "$work/site.log" || fail "the MV page was not requested"
    has_loaded libquvo-web.so || fail "the page was shown without the browser module"
else
    sleep 2
    ! grep -qs "/portal/mv.htm\|/ad/strip.html" "$work/site.log" || fail "a page was requested without the module"
    ! has_loaded webengine || fail "the browser engine was loaded without the module"
fi
kill -0 "$quvo_pid" 2>/dev/null || fail "the program ended"
echo "ok: played '$played'; title '$title'; browser module $([ "$with_module" -eq 1 ] && echo present || echo absent)"
