#!/usr/bin/env bash
# Start-up to a visible main window (the declaration accepted in an earlier run), median of N
# starts (default 10), wall time and peak resident memory, against a bare Qt Widgets window built
# here, measured alternately in the same run under a display of its own.
#   bench/startup/startup.sh [starts]
# The main window opens 500 ms after start by design (the declaration window's timer); that
# wait is part of the figure.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

starts=${1:-10}
settle_ms=2000 # memory is read this long after the window appears (covers the settings step)

if [ -z "${QUVO_BENCH_OWN_DISPLAY:-}" ]; then
    quvo_build "$QUVO_ROOT/build" -DQUVO_BENCH=ON >/dev/null
    export QUVO_BENCH_OWN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

bench_bin="$QUVO_ROOT/build/bench/startup"
work=$(mktemp -d)
site_pid=
trap '[ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null; rm -rf "$work"' EXIT

# The settings step a second after start talks to the local stand-in, never to the real server.
coproc SITE { exec "$QUVO_ROOT/build/tools/sample-site/sample-site"; }
site_pid=$SITE_PID
read -r site_url <&"${SITE[0]}"
export QUVO_PRODUCT_SERVER="$site_url" QUVO_SEARCH_SITE="$site_url"
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=xcb

# Declaration accepted earlier.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/qorvex"
printf '[HKEY_LOCAL_MACHINE]\nSOFTWARE\\qorvex\\Agreement=1.0.0\n' >"$XDG_CONFIG_HOME/qorvex/registry.ini"

run() { # run <label> <caption> <program>: one measured start, appended to $work/<label>
    local runtime="$work/runtime.$RANDOM.$RANDOM"
    mkdir -m 700 "$runtime"
    XDG_RUNTIME_DIR="$runtime" "$bench_bin/startwatch" "$2" "$settle_ms" "$3" >>"$work/$1"
    rm -rf "$runtime"
}

main_caption='Quvo盒子2013 beta1  WWW.QORVEX.COM'
# One start of each to warm the file cache; not counted.
run warmup "$main_caption" "$QUVO_ROOT/build/quvo"
run warmup 'bare window' "$bench_bin/bare-window"
run warmup 'bare window' "$bench_bin/bare-window-webengine"
for ((i = 0; i < starts; i++)); do
    run quvo "$main_caption" "$QUVO_ROOT/build/quvo"
    run bare 'bare window' "$bench_bin/bare-window"
    run barewe 'bare window' "$bench_bin/bare-window-webengine"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_median() { cut -d' ' -f"$2" "$work/$1" | median; }

q_ms=$(column_median quvo 1) q_kb=$(column_median quvo 2)
b_ms=$(column_median bare 1) b_kb=$(column_median bare 2)
w_ms=$(column_median barewe 1) w_kb=$(column_median barewe 2)
awk -v starts="$starts" -v settle="$settle_ms" -v q_ms="$q_ms" -v q_kb="$q_kb" -v b_ms="$b_ms" -v b_kb="$b_kb" \
    -v w_ms="$w_ms" -v w_kb="$w_kb" 'BEGIN {
    printf "start-up to a visible window, median of %d starts (memory: peak resident, %d ms after the window)\n", starts, settle
    printf "%-40s %10s %10s %16s\n", "program", "wall ms", "peak MiB", "ratio to bare"
    printf "%-40s %10.1f %10.1f %7.2f / %6.2f\n", "quvo (declaration accepted)", q_ms, q_kb / 1024, q_ms / b_ms, q_kb / b_kb
    printf "%-40s %10.1f %10s\n", "  of which the deliberate 500 ms wait", 500, ""
    printf "%-40s %10.1f %10.1f %7.2f / %6.2f\n", "bare Qt Widgets window", b_ms, b_kb / 1024, 1, 1
    printf "%-40s %10.1f %10.1f %7.2f / %6.2f\n", "bare window, browser library linked", w_ms, w_kb / 1024, w_ms / b_ms, w_kb / b_kb
}'
