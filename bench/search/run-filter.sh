#!/usr/bin/env bash
# Filtering the result list: 20 000 rows in a list view, a filter typed key by key (words, an
# exclusion, a size bound), each keystroke filtering every row and redrawing the list.
# Builds (RelWithDebInfo, build/) and runs bench_filter under Xvfb:
#   bench/search/run-filter.sh [--runs N]
# It prints the median and worst keystroke against one unfiltered redraw of the same list measured in
# the same run, and the worst keystroke as a share of a 60 Hz frame.
source "$(dirname "$0")/../../scripts/lib.sh"
quvo_build "$QUVO_ROOT/build" -DQUVO_BENCH=ON >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$QUVO_ROOT/build/bench/search/bench_filter" "$@"
