#!/usr/bin/env bash
# Cutting result rows out of a page buffer, one row per tick, as the main window's row timer does.
# Builds (RelWithDebInfo, build/) and runs bench_rowcut:
#   bench/search/run-rowcut.sh [--runs N]
# It prints, for a 25-row page, a 1 MB page and a 4 MB page whose fields all run on, rows per second, the median and worst tick in
# microseconds, and the cost of one plain copy of the same page measured in the same run as baseline;
# then, for the 1000 rows of the largest page, the result model's insert time (rows inserted one by one
# while a sort is in force) and re-sort time, against cutting the same rows.
source "$(dirname "$0")/../../scripts/lib.sh"
quvo_build "$QUVO_ROOT/build" -DQUVO_BENCH=ON >/dev/null
exec "$QUVO_ROOT/build/bench/search/bench_rowcut" "$@"
