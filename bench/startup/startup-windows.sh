#!/usr/bin/env bash
# The Windows leg of startup.sh: quvo.exe (cross-built, declaration accepted earlier) against the bare
# Qt window cross-built the same way, both under Wine on a display of their own, alternately, median
# of N starts (default 10). Wine's server stays up for the whole run, so every start finds it warm.
#   bench/startup/startup.sh --windows [starts]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source "$QUVO_ROOT/scripts/windows/lib.sh"

starts=${1:-10}
if [ -z "${QUVO_BENCH_OWN_DISPLAY:-}" ]; then
    quvo_build "$QUVO_ROOT/build" -DQUVO_BENCH=ON >/dev/null # startwatch, a Linux program
    quvo_windows_build "$QUVO_ROOT/build-windows" -DQUVO_BENCH=ON >/dev/null
    quvo_windows_prefix
    export QUVO_BENCH_OWN_DISPLAY=1
    exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
export WINEPREFIX="$QUVO_WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wineserver -p
wine="$QUVO_ROOT/scripts/windows/wine-run"
bin="$QUVO_ROOT/build-windows/bin"
# No site answers (a closed port): the settings step fails at once, as it would offline.
export QUVO_PRODUCT_SERVER=http://127.0.0.1:9 QUVO_SEARCH_SITE=http://127.0.0.1:9
"$wine" reg add 'HKCU\SOFTWARE\qorvex' /v Agreement /d 1.0.0 /f >/dev/null

run() { # run <label> <caption> <program>: one measured start, appended to $work/<label>
    "$QUVO_ROOT/build/bench/startup/startwatch" "$2" 0 "$wine" "$3" >>"$work/$1"
}
main_caption='Quvo盒子2013 beta1  WWW.QORVEX.COM'
run warmup "$main_caption" "$bin/quvo.exe"
run warmup 'bare window' "$bin/bare-window.exe"
for ((i = 0; i < starts; i++)); do
    run quvo "$main_caption" "$bin/quvo.exe"
    run bare 'bare window' "$bin/bare-window.exe"
done
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
q_ms=$(cut -d' ' -f1 "$work/quvo" | median)
b_ms=$(cut -d' ' -f1 "$work/bare" | median)
awk -v starts="$starts" -v q_ms="$q_ms" -v b_ms="$b_ms" 'BEGIN {
    printf "Windows build under Wine: start-up to a visible window, median of %d starts\n", starts
    printf "%-44s %10s %14s\n", "program", "wall ms", "ratio to bare"
    printf "%-44s %10.1f\n", "quvo.exe (declaration accepted)", q_ms
    printf "%-44s %10.1f %14.2f\n", "quvo.exe less the deliberate 500 ms wait", q_ms - 500, (q_ms - 500) / b_ms
    printf "%-44s %10.1f %14.2f\n", "bare Qt Widgets window", b_ms, 1
    printf "goal: quvo.exe less the wait at most 1.50 of the bare window\n"
}'
