#!/usr/bin/env bash
# Load benchmark: the native engine against nginx with one worker serving the same files, in
# the same run.
#   wrk over keep-alive: one static file and one template page (BENCH_SECONDS each);
#   wrk --latency on the static file with 2 and 8 connections (BENCH_LATENCY_SECONDS each);
#   preopened_load on 2 and 8 keep-alive connections, all opened and answered once before the
#     clock starts (BENCH_PREOPENED_SECONDS each);
#   bursts of 6 and 20 new connections at once: time until the last one is answered.
# With --baseline-engine PROGRAM the engine's measurements run against that program too, in the
# same installation, one engine at a time on port 8190; the table then gives after/before.
# Usage: bench/http_load.sh [--build-dir DIR] [--baseline-engine PROGRAM]
#   (default build folder: the "native" preset's tree)
# Tunables: BENCH_SECONDS (10), BENCH_CONNECTIONS (8), BENCH_THREADS (2), BENCH_LATENCY_SECONDS
# (30), BENCH_PREOPENED_SECONDS (10), BENCH_BURST_REPEATS (9), BENCH_BURST_PAUSE_MS (500),
# NGINX_PORT (8290), BENCH_ENGINE_LOG (yes: the module's request log lines are written, as the
# demo module asks; nginx writes no access log, so "no" compares like with like).
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"

SECONDS_EACH=${BENCH_SECONDS:-10}
CONNECTIONS=${BENCH_CONNECTIONS:-8}
THREADS=${BENCH_THREADS:-2}
LATENCY_SECONDS=${BENCH_LATENCY_SECONDS:-30}
PREOPENED_SECONDS=${BENCH_PREOPENED_SECONDS:-10}
BURST_REPEATS=${BENCH_BURST_REPEATS:-9}
BURST_PAUSE_MS=${BENCH_BURST_PAUSE_MS:-500}
NGINX_PORT=${NGINX_PORT:-8290}
ENGINE_PORT=8190
STATIC_FILE=style.css
TEMPLATE_PAGE=MainMenu.html
LATENCY_CONNECTIONS=(2 8)
BURST_SIZES=(6 20)
# Goals the summary checks the engine against.
GOAL_NEW_CONNECTION_MS=5
GOAL_P99_OVER_NGINX=1.5

usage() { echo "usage: $0 [--build-dir DIR] [--baseline-engine PROGRAM]" >&2; exit 2; }

tree=""
baseline=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) tree=${2:?--build-dir needs a folder}; shift 2 ;;
        --baseline-engine)
            baseline=${2:?--baseline-engine needs a program}
            if [ ! -f "$baseline" ] || [ ! -x "$baseline" ]; then
                echo "not a program: $baseline" >&2
                exit 2
            fi
            baseline=$(cd "$(dirname "$baseline")" && pwd)/$(basename "$baseline")
            shift 2 ;;
        *) usage ;;
    esac
done
cd "$VELKOR_ROOT"

ensure_packages "${BUILD_PACKAGES[@]}" wrk nginx-light
nginx_program=$(command -v nginx || echo /usr/sbin/nginx)

if [ -z "$tree" ]; then
    tree="$VELKOR_ROOT/build/native"
    cmake --preset native >/dev/null
else
    cmake -S "$VELKOR_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=g++ >/dev/null
fi
cmake --build "$tree" --target velkor preopened_load >/dev/null
load_client="$tree/bench/preopened_load"

work="$tree/bench/http_load"
install="$work/installation"
module_dir="orvik plotara 310ps 320ps 350ps"
rm -rf "$work"
mkdir -p "$install/log" "$work/nginx/temp" "$work/programs"
cp -r modules/brenna "$install/$module_dir"
# Each engine is copied in as the installation's program when its turn comes.
cp "$tree/src/engine/velkor" "$work/programs/after"
targets=(after)
if [ -n "$baseline" ]; then
    cp "$baseline" "$work/programs/before"
    targets+=(before)
fi
www="$install/$module_dir/www"
if [ "${BENCH_ENGINE_LOG:-yes}" = no ]; then
    sed -i 's|<log-to-file>yes</log-to-file>|<log-to-file>no</log-to-file>|' \
        "$install/$module_dir/module.xml"
fi

printf '%s\r\n' "Windows Registry Editor Version 5.00" "" \
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter]" \
    "\"PATH\"=\"$(printf '%s' "$install" | sed 's/\\/\\\\/g')\"" "" \
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter\\SMM]" \
    "\"brenna\"=\"$module_dir\"" "" \
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter\\ProdNumbers]" \
    "\"Q1251A\"=\"brenna\"" "" >"$install/registry.reg"

sed -e "s|@ROOT@|$www|" -e "s|@PORT@|$NGINX_PORT|" bench/http_load/nginx.conf.in \
    >"$work/nginx/nginx.conf"

engine_pid=""
engine_key=""
nginx_pid=""
cleanup() {
    [ -n "$nginx_pid" ] && kill -QUIT "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
    [ -n "$engine_pid" ] && kill "$engine_pid" 2>/dev/null && wait "$engine_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

wait_for_port() {
    local port=$1 pid=$2 name=$3 tries=0
    until port_open "$port"; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "$name ended before it listened on $port" >&2
            exit 1
        fi
        tries=$((tries + 1))
        [ "$tries" -gt 150 ] && { echo "$name does not listen on $port" >&2; exit 1; }
        sleep 0.2
    done
}

for port in "$ENGINE_PORT" "$NGINX_PORT"; do
    port_open "$port" && { echo "port $port is already in use" >&2; exit 1; }
done

# A whole request, not a bare connect: a connection the engine still holds would be counted
# by the first measurement and would keep the exit page from stopping it.
start_engine() {
    local key=$1
    cp "$work/programs/$key" "$install/velkor"
    # The engine deletes the params file once read, as after a launcher's start; a start page
    # of "none" keeps it from opening a browser.
    printf '%s\r\n' "Name:Bench plotter" TCP "IP: 127.0.0.232" "Port: 9100" "Module:brenna" \
        "Start-page:none" >"$install/params"
    (cd "$install" && exec ./velkor) >"$work/engine-output-$key.txt" 2>&1 &
    engine_pid=$!
    engine_key=$key
    if ! wait_until 30 engine_answers; then
        echo "engine ($key) does not answer on $ENGINE_PORT" >&2
        exit 1
    fi
}

# Stops the engine the way a user does, once the connections of the runs have run out; kills
# it when it does not stop.
stop_engine() {
    local status="" tries
    for tries in $(seq 10); do
        sleep 1
        status=$(timeout 5 bash -c 'exec 3<>/dev/tcp/127.0.0.1/'"$ENGINE_PORT"' &&
            printf "GET /Exit.html HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n" >&3 &&
            head -n 1 <&3 | tr -d "\r"' 2>/dev/null) || true
        wait_until 2 engine_ended && break
    done
    if engine_ended; then
        wait "$engine_pid" || true
        echo "== engine ($engine_key) stopped after the exit page ($status, try $tries)"
    else
        echo "== engine ($engine_key) did not stop after the exit page ($status): killed"
        kill "$engine_pid" 2>/dev/null || true
        wait "$engine_pid" 2>/dev/null || true
    fi
    mv "$install/log" "$work/log-$engine_key-$(date +%s%N)"
    mkdir "$install/log"
    engine_pid=""
    engine_key=""
}

engine_ended() { ! kill -0 "$engine_pid" 2>/dev/null; }

# Makes the engine KEY the one on port 8190 (nginx needs nothing).
use_target() {
    local key=$1
    [ "$key" = nginx ] && return 0
    [ "$engine_key" = "$key" ] && return 0
    [ -n "$engine_pid" ] && stop_engine
    start_engine "$key"
}

port_of() { if [ "$1" = nginx ]; then echo "$NGINX_PORT"; else echo "$ENGINE_PORT"; fi; }

# Connections of the previous run end first: an engine closes an idle one within 2 s.
settle() { sleep 2.5; }

# Milliseconds from one of wrk's latency figures ("512.00us", "1.20ms", "1.01s").
to_ms() {
    awk -v value="$1" 'BEGIN {
        number = value + 0
        if (value ~ /us$/) number /= 1000
        else if (value ~ /ms$/) number += 0
        else if (value ~ /m$/) number *= 60000
        else if (value ~ /s$/) number *= 1000
        printf "%.3f", number }'
}

declare -A result

# Runs wrk against one target; records rps, p50 and p99 (ms) under MEASURE; keeps wrk's report.
run_wrk() {
    local key=$1 measure=$2 path=$3 connections=$4 seconds=$5
    local report="$work/$measure-$key.txt" threads=$THREADS errors
    [ "$threads" -gt "$connections" ] && threads=$connections
    settle
    wrk -t "$threads" -c "$connections" -d "${seconds}s" --latency \
        -H "Connection: keep-alive" "http://127.0.0.1:$(port_of "$key")/$path" >"$report"
    result[$key,$measure,rps]=$(awk '/^Requests\/sec:/ {print $2}' "$report")
    result[$key,$measure,p50]=$(to_ms "$(awk '$1 == "50%" {print $2}' "$report")")
    result[$key,$measure,p99]=$(to_ms "$(awk '$1 == "99%" {print $2}' "$report")")
    errors=$(grep -E 'Non-2xx|Socket errors' "$report" | tr -s ' ' | paste -sd ';' || true)
    printf '%-8s %-24s %12s %10s %10s  %s\n' "$key" "$measure" "${result[$key,$measure,rps]}" \
        "${result[$key,$measure,p50]}" "${result[$key,$measure,p99]}" "$errors"
}

# Value of KEY in the client's RESULT line.
result_field() { awk -v key="$2" '$1 == "RESULT" { for (i = 2; i <= NF; i++) {
    split($i, pair, "="); if (pair[1] == key) print pair[2] } }' "$1"; }

run_client() {
    local report=$1
    shift
    if ! "$load_client" "$@" >"$report" 2>&1; then
        echo "preopened_load $* failed:" >&2
        cat "$report" >&2
        exit 1
    fi
}

run_preopened() {
    local key=$1 connections=$2 measure="preopened-$2c"
    local report="$work/$measure-$key.txt"
    settle
    run_client "$report" --port "$(port_of "$key")" --path "/$STATIC_FILE" \
        --connections "$connections" --seconds "$PREOPENED_SECONDS"
    result[$key,$measure,rps]=$(result_field "$report" rps)
    result[$key,$measure,p50]=$(result_field "$report" p50_ms)
    result[$key,$measure,p99]=$(result_field "$report" p99_ms)
    printf '%-8s %-24s %12s %10s %10s  reconnects %s\n' "$key" "$measure" \
        "${result[$key,$measure,rps]}" "${result[$key,$measure,p50]}" \
        "${result[$key,$measure,p99]}" "$(result_field "$report" reconnects)"
}

run_burst() {
    local key=$1 size=$2 measure="burst-$2"
    local report="$work/$measure-$key.txt"
    settle
    run_client "$report" --port "$(port_of "$key")" --path "/$STATIC_FILE" --burst "$size" \
        --repeat "$BURST_REPEATS" --pause-ms "$BURST_PAUSE_MS" --timeout-ms 10000
    result[$key,$measure,all]=$(result_field "$report" all_ms)
    result[$key,$measure,median]=$(result_field "$report" each_median_ms)
    result[$key,$measure,worst]=$(result_field "$report" worst_ms)
    printf '%-8s %-24s %12s %10s %10s\n' "$key" "$measure" "${result[$key,$measure,all]}" \
        "${result[$key,$measure,median]}" "${result[$key,$measure,worst]}"
}

# Every target in turn, the engines' order flipped each time so neither always goes first.
engine_order=("${targets[@]}")
each_target() {
    local key
    for key in "${engine_order[@]}" nginx; do
        use_target "$key"
        "$@" "$key"
    done
    local reversed=()
    for key in "${engine_order[@]}"; do reversed=("$key" "${reversed[@]}"); done
    engine_order=("${reversed[@]}")
}

wrk_static() { run_wrk "$1" wrk-static "$STATIC_FILE" "$CONNECTIONS" "$SECONDS_EACH"; }
wrk_page() { run_wrk "$1" wrk-page "$TEMPLATE_PAGE" "$CONNECTIONS" "$SECONDS_EACH"; }
wrk_latency() { run_wrk "$2" "wrk-${1}c" "$STATIC_FILE" "$1" "$LATENCY_SECONDS"; }
preopened() { run_preopened "$2" "$1"; }
burst() { run_burst "$2" "$1"; }

"$nginx_program" -p "$work/nginx" -c "$work/nginx/nginx.conf" >"$work/nginx/output.txt" 2>&1 &
nginx_pid=$!
wait_for_port "$NGINX_PORT" "$nginx_pid" nginx

echo "== targets: ${targets[*]} nginx; load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== wrk: $THREADS threads, $CONNECTIONS keep-alive connections, ${SECONDS_EACH}s each;" \
    "/$TEMPLATE_PAGE is expanded by the engine, a plain file to nginx"
printf '%-8s %-24s %12s %10s %10s\n' target measure requests/s "p50 ms" "p99 ms"
each_target wrk_static
each_target wrk_page
# wrk corrects its latencies for coordinated omission: one stall (a connection waiting to be
# accepted) adds many samples, so its p99 can differ much from preopened_load's.
echo "== wrk --latency on /$STATIC_FILE, ${LATENCY_SECONDS}s each"
for connections in "${LATENCY_CONNECTIONS[@]}"; do each_target wrk_latency "$connections"; done
echo "== pre-opened keep-alive connections on /$STATIC_FILE, ${PREOPENED_SECONDS}s each"
for connections in "${LATENCY_CONNECTIONS[@]}"; do each_target preopened "$connections"; done
echo "== bursts of new connections on /$STATIC_FILE, $BURST_REPEATS times each (medians; worst:" \
    "slowest connection of all bursts)"
printf '%-8s %-24s %12s %10s %10s\n' target measure "all ms" "each ms" "worst ms"
for size in "${BURST_SIZES[@]}"; do each_target burst "$size"; done
[ -n "$engine_pid" ] && stop_engine
echo "== load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a != "" && b > 0) printf "%.3f", a / b; else print "n/a" }'
}

row() {
    local measure=$1 field=$2 label=$3
    local after=${result[after,$measure,$field]:-} before=${result[before,$measure,$field]:-}
    local nginx=${result[nginx,$measure,$field]:-}
    printf '%-30s %11s %11s %11s %12s %12s\n' "$label" "$after" "${before:-n/a}" "$nginx" \
        "$(ratio "$after" "$nginx")" "$(ratio "$after" "$before")"
}

echo "== comparison (after: this tree; before: ${baseline:-not given}); requests/s higher is" \
    "better, milliseconds lower"
printf '%-30s %11s %11s %11s %12s %12s\n' measure after before nginx after/nginx after/before
for measure in wrk-static wrk-page; do
    row "$measure" rps "$measure ${CONNECTIONS}c req/s"
    row "$measure" p99 "$measure ${CONNECTIONS}c p99 ms"
done
for connections in "${LATENCY_CONNECTIONS[@]}"; do
    for kind in wrk preopened; do
        row "$kind-${connections}c" rps "$kind ${connections}c req/s"
        row "$kind-${connections}c" p50 "$kind ${connections}c p50 ms"
        row "$kind-${connections}c" p99 "$kind ${connections}c p99 ms"
    done
done
for size in "${BURST_SIZES[@]}"; do
    row "burst-$size" all "burst $size all answered ms"
    row "burst-$size" median "burst $size each median ms"
    row "burst-$size" worst "burst $size slowest ms"
done

# The goals, judged on this run's figures.
verdict() { if [ "$1" = 1 ]; then echo holds; else echo "does not hold"; fi; }
slowest=0
for size in "${BURST_SIZES[@]}"; do
    slowest=$(awk -v a="$slowest" -v b="${result[after,burst-$size,worst]}" \
        'BEGIN { print (b > a) ? b : a }')
done
echo "== goal: every new connection answered within ${GOAL_NEW_CONNECTION_MS} ms (slowest of all" \
    "bursts ${slowest} ms): $(verdict "$(awk -v a="$slowest" -v g="$GOAL_NEW_CONNECTION_MS" \
        'BEGIN { print (a <= g) ? 1 : 0 }')")"
for kind in wrk preopened; do
    share=$(ratio "${result[after,$kind-8c,p99]}" "${result[nginx,$kind-8c,p99]}")
    echo "== goal: p99 at 8 connections within ${GOAL_P99_OVER_NGINX}x nginx's ($kind:" \
        "${share}x): $(verdict "$(awk -v a="$share" -v g="$GOAL_P99_OVER_NGINX" \
            'BEGIN { print (a != "n/a" && a <= g) ? 1 : 0 }')")"
done
echo "== reports and logs: $work"
