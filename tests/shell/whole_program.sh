#!/usr/bin/env bash
# The whole program under a display of its own: the declaration accepted with real clicks, the
# acceptance record, one instance per session, Alt+F1, and the quit confirmation.
#   whole_program.sh <quvo binary> <sample-site binary>
set -euo pipefail

quvo=$(readlink -f "$1")
site_program=$(readlink -f "$2")

# Key presses go to the whole display: never share one with tests running beside this one.
# -noreset (here and in every xvfb-run of the project): the server must not reset when the test
# kills the program, its last client, or the next start may find it refusing connections.
if [ -z "${QUVO_SHELL_TEST_OWN_DISPLAY:-}" ]; then
    export QUVO_SHELL_TEST_OWN_DISPLAY=1
    # The X server's own messages, shown when the test fails.
    export QUVO_SHELL_TEST_XVFB_LOG="${TMPDIR:-/tmp}/quvo-shell-xvfb.$$.log"
    trap 'rm -f "$QUVO_SHELL_TEST_XVFB_LOG"' EXIT
    status=0
    xvfb-run -a -e "$QUVO_SHELL_TEST_XVFB_LOG" -s "-noreset -screen 0 1280x1024x24" "$0" "$@" || status=$?
    exit "$status"
fi

work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=xcb

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        { kill -9 "$pid" && wait "$pid"; } 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "program output:" >&2
    cat "$work/quvo.log" >&2 || true
    echo "X server messages:" >&2
    cat "$QUVO_SHELL_TEST_XVFB_LOG" >&2 || true
    echo "X server on $DISPLAY: $(pgrep -a Xvfb | grep -F -- "$DISPLAY " || echo 'not running')" >&2
    xdpyinfo >/dev/null 2>&1 && echo "it answers now" >&2 || echo "it does not answer now" >&2
    exit 1
}
step() { echo "--- $*"; }

# The stand-in sites, so nothing leaves the machine.
coproc SITE { exec "$site_program" --log "$work/site.log"; }
pids+=("$SITE_PID")
read -r site_url <&"${SITE[0]}"
export QUVO_PRODUCT_SERVER="$site_url" QUVO_SEARCH_SITE="$site_url"

main_caption='^Quvo盒子2013 beta1  WWW\.QORVEX\.COM$'
declaration_caption='^免责声明$'

# visible_window <caption pattern>: the id of the visible window with that caption, or nothing.
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true; }
# wait_for <seconds> <command...>: polls until the command succeeds.
wait_for() {
    local limit=$(($1 * 10))
    shift
    for ((i = 0; i < limit; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
is_shown() { [ -n "$(visible_window "$1")" ]; }
is_not_shown() { [ -z "$(visible_window "$1")" ]; }
has_ended() { ! kill -0 "$1" 2>/dev/null; }
our_processes() { pgrep -f -- "^$quvo( |\$)" | wc -l; }

# start_quvo [arguments...]: starts the program in the background; its pid is in $started.
start_quvo() {
    "$quvo" "$@" >>"$work/quvo.log" 2>&1 &
    started=$!
    pids+=("$started")
}

visible_windows() { { xdotool search --onlyvisible --name . 2>/dev/null || true; } | sort; }

# start_later_instance [window]: a start that must end by itself, quickly and without a window
# of its own (the first instance's window may come forward).
start_later_instance() {
    local before after
    before=$( (visible_windows; echo "${1:-}") | sort -u)
    start_quvo
    wait_for 10 has_ended "$started" || fail "a later start kept running"
    wait "$started" || fail "a later start ended with status $?"
    after=$(visible_windows)
    [ -z "$(comm -13 <(echo "$before") <(echo "$after"))" ] || fail "a later start showed a window of its own"
}

record() { cat "$XDG_CONFIG_HOME/qorvex/registry.ini" 2>/dev/null || true; }

step "an unknown option is refused; Qt's own options are left to Qt"
status=0
"$quvo" --bogus 2>"$work/refused.txt" || status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with status $status"
grep -q '未知选项：--bogus' "$work/refused.txt" || fail "no Chinese error for an unknown option: $(cat "$work/refused.txt")"
# Each wrong option is named as it was typed. <program> <told> <arguments...>
refused_as_typed() {
    local program=$1 told=$2 status=0
    shift 2
    "$program" "$@" 2>"$work/refused.txt" || status=$?
    [ "$status" -eq 2 ] || fail "$* ended with status $status"
    grep -qF -- "$told" "$work/refused.txt" || fail "$* told: $(cat "$work/refused.txt")"
}
refused_as_typed "$quvo" '：未知选项：--你' --你
refused_as_typed "$quvo" '：未知选项：-hv' -hv
refused_as_typed "$quvo" '：未知选项：--x, -y' -platform offscreen --x=1 -y -- -z
refused_as_typed "$quvo" '：选项 --version 不带值' --version=1
refused_as_typed "$site_program" '：选项 -port 缺少值' --log /dev/null -port

step "first run, three starts at the same moment: one declaration, one process"
start_quvo; a=$started
start_quvo; b=$started
start_quvo; c=$started
wait_for 30 is_shown "$declaration_caption" || fail "no declaration window"
one_left() { [ "$(our_processes)" -eq 1 ]; }
wait_for 10 one_left || fail "$(our_processes) instances after starting three at once"
first=$(pgrep -f -- "^$quvo( |\$)")
for pid in "$a" "$b" "$c"; do
    [ "$pid" = "$first" ] && continue
    wait "$pid" || fail "a refused start ended with status $?"
done
declarations=$({ xdotool search --onlyvisible --name "$declaration_caption" 2>/dev/null || true; } | wc -l)
[ "$declarations" -eq 1 ] || fail "$declarations declaration windows"
is_not_shown "$main_caption" || fail "main window before acceptance"
record | grep -q 'Agreement' && fail "acceptance recorded before agreeing"

step "a later start while the declaration shows leaves it alone"
start_later_instance
is_shown "$declaration_caption" || fail "declaration gone after a later start"
is_not_shown "$main_caption" || fail "a later start opened the main window"
kill -0 "$first" || fail "first instance ended"

step "accepting the declaration"
declaration=$(visible_window "$declaration_caption")
# The check box sits in the bottom panel (70 px, client 586 x 652), the buttons below it.
xdotool mousemove --window "$declaration" 160 598 click 1
sleep 1.6 # the countdown enables "我同意" one second after the tick
xdotool mousemove --window "$declaration" 214 629 click 1
wait_for 10 is_shown "$main_caption" || fail "main window did not open after agreeing"
wait_for 5 is_not_shown "$declaration_caption" || fail "declaration still shown"
record | grep -qx 'SOFTWARE\\qorvex\\Agreement=1.0.0' || { record; fail "acceptance not recorded"; }

step "a killed instance leaves its lock behind"
kill -9 "$first"
wait "$first" 2>/dev/null || true
compgen -G "$XDG_RUNTIME_DIR/TheStandard-*.lock" >/dev/null || fail "no lock file left by the killed instance"

step "second run, restarted by a session manager: straight to the main window"
start_quvo -session 1a2b3c
second=$started
saw_declaration=0
for ((i = 0; i < 150; i++)); do
    is_shown "$declaration_caption" && saw_declaration=1
    is_shown "$main_caption" && break
    sleep 0.1
done
is_shown "$main_caption" || fail "main window did not open on the second run"
[ "$saw_declaration" -eq 0 ] || fail "the declaration showed again"

step "Alt+F1 hides and shows the main window"
main=$(visible_window "$main_caption")
xdotool key alt+F1
wait_for 5 is_not_shown "$main_caption" || fail "Alt+F1 did not hide the main window"
xdotool key alt+shift+F1 ctrl+alt+F1
sleep 0.5
is_not_shown "$main_caption" || fail "another combination showed the main window"
xdotool key alt+F1
wait_for 5 is_shown "$main_caption" || fail "Alt+F1 did not show the main window again"

step "a later start brings the hidden main window to the front"
xdotool key alt+F1
wait_for 5 is_not_shown "$main_caption" || fail "Alt+F1 did not hide the main window"
start_later_instance "$main"
wait_for 5 is_shown "$main_caption" || fail "a later start did not bring the main window back"
[ "$(visible_window "$main_caption")" = "$main" ] || fail "a different main window"
wait_for 5 test "$(xdotool getwindowfocus 2>/dev/null)" = "$main" || fail "main window not activated"
[ "$(our_processes)" -eq 1 ] || fail "$(our_processes) instances running"
kill -0 "$second" || fail "first instance ended"

step "quit: Cancel keeps it, OK ends it"
# "退 出" is the eighth button of the bar (95 x 70 each from x = 2).
answer_quit() {
    xdotool mousemove --window "$main" 714 38 click 1
    wait_for 5 is_shown '^提示$' || fail "no quit confirmation"
    local box
    box=$(visible_window '^提示$')
    xdotool windowfocus "$box"
    sleep 0.3
    xdotool key "$1"
}
answer_quit Escape
wait_for 5 is_not_shown '^提示$' || fail "confirmation stayed open"
sleep 0.5
kill -0 "$second" || fail "Cancel ended the program"
is_shown "$main_caption" || fail "Cancel closed the main window"
answer_quit Return
wait_for 10 has_ended "$second" || fail "OK did not end the program"
status=0
wait "$second" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

echo "PASS"
