#!/usr/bin/env bash
# Benchmark of the update download (tools/update-fetch, the program's own download code) against
# curl (one connection) and aria2c, all fetching one 200 MiB file from a local nginx that allows
# 4 MB/s per connection. Also times joining the part files against `cat part* > file`.
# Not a test: it prints measurements and the ratios the download aims for.
#
#   bench/update/update-download.sh [build dir]     (default: build)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
SIZE_MIB=200
SMALL_MIB=20
RATE=4m
PORT=${BENCH_PORT:-18480}

# --- tools -------------------------------------------------------------------------------------
quvo_install_missing_packages bench
NGINX=$(command -v nginx || echo /usr/sbin/nginx)
cmake -S "$ROOT" -B "$BUILD" -DQUVO_TOOLS=ON >/dev/null
cmake --build "$BUILD" --target update-fetch >/dev/null
FETCH="$BUILD/tools/update-fetch/update-fetch"

# --- the server ----------------------------------------------------------------------------------
WORK=$(mktemp -d /tmp/quvo-bench.XXXXXX)
cleanup() {
    [ -f "$WORK/nginx.pid" ] && kill "$(cat "$WORK/nginx.pid")" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/www/update" "$WORK/out" "$WORK/logs"
head -c $((SIZE_MIB * 1024 * 1024)) /dev/urandom >"$WORK/www/update/qorvex.rar"
head -c $((SMALL_MIB * 1024 * 1024)) /dev/urandom >"$WORK/www/update/small.rar"
cat >"$WORK/nginx.conf" <<CONF
worker_processes 2;
pid $WORK/nginx.pid;
error_log $WORK/logs/error.log;
events { worker_connections 256; }
http {
    access_log off;
    sendfile on;
    client_body_temp_path $WORK/logs;
    proxy_temp_path $WORK/logs;
    fastcgi_temp_path $WORK/logs;
    uwsgi_temp_path $WORK/logs;
    scgi_temp_path $WORK/logs;
    server {
        listen 127.0.0.1:$PORT;
        root $WORK/www;
        limit_rate $RATE;
    }
}
CONF
"$NGINX" -c "$WORK/nginx.conf" -p "$WORK" -g "user $(id -un);" 2>/dev/null || "$NGINX" -c "$WORK/nginx.conf" -p "$WORK"
sleep 0.5
URL="http://127.0.0.1:$PORT/update/qorvex.rar"
BYTES=$((SIZE_MIB * 1024 * 1024))

# run NAME COMMAND...: wall time and peak memory of one download into $WORK/out/$NAME, checked byte for byte.
declare -A WALL RSS
run() {
    local name="$1" source="$2"
    shift 2
    rm -rf "$WORK/out"/*
    /usr/bin/time -f "%e %M" -o "$WORK/time.txt" "$@" >"$WORK/logs/$name.out" 2>&1 || {
        echo "$name: failed"; cat "$WORK/logs/$name.out"; return 1; }
    cmp -s "$WORK/out/$name" "$source" || { echo "$name: wrong file"; return 1; }
    read -r WALL[$name] RSS[$name] <"$WORK/time.txt"
    printf "%-14s %8.2f s %9.1f MB/s %8.1f MB peak\n" "$name" "${WALL[$name]}" \
        "$(echo "$(stat -c %s "$source") / ${WALL[$name]} / 1000000" | bc -l)" "$(echo "${RSS[$name]} / 1024" | bc -l)"
}

echo "== download of $SIZE_MIB MiB, nginx limit_rate $RATE per connection =="
SRC="$WORK/www/update/qorvex.rar"
run curl "$SRC" curl -sS -o "$WORK/out/curl" "$URL"
for n in 1 5 10; do
    run "ours-$n" "$SRC" "$FETCH" -n "$n" "$URL" "$WORK/out/ours-$n"
    run "aria2c-$n" "$SRC" aria2c -q -x "$n" -s "$n" -k 1M --allow-overwrite=true -d "$WORK/out" -o "aria2c-$n" "$URL"
done
run "ours-5-small" "$WORK/www/update/small.rar" "$FETCH" -n 5 "http://127.0.0.1:$PORT/update/small.rar" \
    "$WORK/out/ours-5-small"

echo
echo "== ratios (throughput) =="
ratio() { echo "scale=2; ${WALL[$2]} / ${WALL[$1]}" | bc -l; }
for n in 1 5 10; do
    echo "N=$n: ours / aria2c = $(ratio "ours-$n" "aria2c-$n")   ours / curl = $(ratio "ours-$n" curl)"
done
echo "peak memory ours N=5: $((RSS[ours-5] / 1024)) MB for $SIZE_MIB MiB, $((RSS[ours-5-small] / 1024)) MB for $SMALL_MIB MiB"

echo
echo "== joining 5 parts of $SIZE_MIB MiB (best of 3, parts in the page cache, written back before each run) =="
# The program's join also deletes the parts, which cat does not: it is compared with cat alone
# (the joining step) and with `cat part* > file && rm part*` (the same work).
JOIN="$WORK/join"
mkdir -p "$JOIN"
split -n 5 -d -a 1 "$SRC" "$JOIN/part"
fresh_parts() { for k in 1 2 3 4 5; do cp "$JOIN/part$((k - 1))" "$JOIN/t.rar$k"; done; sync; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l; }
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }
best_cat=999 best_catrm=999 best_join=999 best_ours=999
for i in 1 2 3; do
    sync
    best_cat=$(min "$(seconds sh -c "cat '$JOIN'/part* >'$JOIN/cat.out'")" "$best_cat")
    rm -f "$JOIN/cat.out"
    fresh_parts
    best_catrm=$(min "$(seconds sh -c "cat '$JOIN'/t.rar? >'$JOIN/cat.out' && rm '$JOIN'/t.rar?")" "$best_catrm")
    rm -f "$JOIN/cat.out"
    fresh_parts
    line=$("$FETCH" --join "$JOIN/t.rar" "$BYTES" "$JOIN"/t.rar1 "$JOIN"/t.rar2 "$JOIN"/t.rar3 "$JOIN"/t.rar4 "$JOIN"/t.rar5)
    cmp -s "$JOIN/t.rar" "$SRC" || { echo "join: wrong file"; exit 1; }
    [ -z "$(ls "$JOIN"/t.rar? 2>/dev/null)" ] || { echo "join: parts left"; exit 1; }
    rm -f "$JOIN/t.rar"
    # "ok <bytes> <total> (joining <j>, removing the parts <r>)"
    best_ours=$(min "$(echo "$line" | awk '{print $3}')" "$best_ours")
    best_join=$(min "$(echo "$line" | awk '{print $5}' | tr -d ,)" "$best_join")
done
printf "cat part* > file            %6.3f s\n" "$best_cat"
printf "ours, joining step          %6.3f s   (speed ours / cat = %.2f)\n" "$best_join" \
    "$(echo "$best_cat / $best_join" | bc -l)"
printf "cat part* > file && rm part* %5.3f s\n" "$best_catrm"
printf "ours, join and remove parts %6.3f s   (speed ours / cat+rm = %.2f)\n" "$best_ours" \
    "$(echo "$best_catrm / $best_ours" | bc -l)"

echo
echo "== goals =="
check() { if [ "$(echo "$2" | bc -l)" = 1 ]; then echo "met:    $1"; else echo "missed: $1"; fi; }
check "N=5 at least 4.5x curl" "${WALL[curl]} / ${WALL[ours-5]} >= 4.5"
check "N=5 at least aria2c" "${WALL[aria2c-5]} / ${WALL[ours-5]} >= 1"
check "joining at least 0.8x cat (joining step)" "$best_cat / $best_join >= 0.8"
check "join and removal at least 0.8x cat && rm" "$best_catrm / $best_ours >= 0.8"
check "peak memory independent of the size (200 MiB within 20% of 20 MiB)" \
    "${RSS[ours-5]} <= ${RSS[ours-5-small]} * 1.2"
