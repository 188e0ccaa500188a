#!/usr/bin/env bash
# Takes the screenshots in docs/ from the built program under a virtual display of its own.
#   docs/screenshots.sh
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"

if [ -z "${QUVO_SHOTS_OWN_DISPLAY:-}" ]; then
    quvo_build "$QUVO_ROOT/build" -DQUVO_TOOLS=ON >/dev/null
    export QUVO_SHOTS_OWN_DISPLAY=1
    exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
pid=
site_pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
# No settings document: the window as it looks before (or without) the product server.
# Searches go to the sample site.
coproc SITE { exec "$QUVO_ROOT/build/tools/sample-site/sample-site"; }
site_pid=$SITE_PID
read -r site_url <&"${SITE[0]}"
export QUVO_PRODUCT_SERVER=http://127.0.0.1:9 QUVO_SEARCH_SITE="$site_url"
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=xcb

window() { # window <caption pattern>: waits for the window and prints its id
    for ((i = 0; i < 100; i++)); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 && return 0
        sleep 0.1
    done
    return 1
}

"$QUVO_ROOT/build/quvo" &
pid=$!
declaration=$(window '^免责声明$')
sleep 0.5
import -window "$declaration" "$QUVO_ROOT/docs/declaration.png"

xdotool mousemove --window "$declaration" 160 598 click 1
sleep 1.5
xdotool mousemove --window "$declaration" 214 629 click 1
main=$(window '^Quvo盒子2013 beta1')
sleep 0.8
import -window "$main" "$QUVO_ROOT/docs/main-window.png"

# The pointer over "求捧场" shows the microblog's QR code.
xdotool mousemove --window "$main" 619 30
sleep 0.5
import -window "$main" "$QUVO_ROOT/docs/main-window-weibo.png"
# A search: the result rows of the first page.
xdotool mousemove --window "$main" 300 200
xdotool mousemove --window "$main" 250 93 click 1
xdotool type --delay 30 "matrix"
xdotool key Return
sleep 2.5
import -window "$main" "$QUVO_ROOT/docs/main-window-results.png"
# The filter row (Ctrl+F) over those rows: a word, an exclusion and a least size.
xdotool key ctrl+f
xdotool type --delay 30 "matrix -1080p"
xdotool key Tab
xdotool type --delay 30 "1 GB"
sleep 0.8
import -window "$main" "$QUVO_ROOT/docs/main-window-filter.png"
xdotool key Escape
# The site gone: the next page cannot be had, and the title column's header says so.
kill "$site_pid" && wait "$site_pid" 2>/dev/null || true
site_pid=
xdotool mousemove --window "$main" 250 93 click 1
xdotool key Return
sleep 1.5
import -window "$main" "$QUVO_ROOT/docs/search-failed.png"
echo "docs/declaration.png docs/main-window.png docs/main-window-weibo.png docs/main-window-results.png" \
    "docs/main-window-filter.png docs/search-failed.png"
