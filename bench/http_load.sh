#!/usr/bin/env bash
# Load benchmark: wrk over keep-alive against the native engine (one static file and one
# template page) and against nginx with one worker serving the same files, in the same run.
# Prints requests per second and p99 latency for each, and the ratio engine/nginx.
# Usage: bench/http_load.sh [--build-dir DIR]   (default: the "native" preset's tree)
# Tunables: BENCH_SECONDS (10), BENCH_CONNECTIONS (8), BENCH_THREADS (2), NGINX_PORT (8290),
# BENCH_ENGINE_LOG (yes: the module's request log lines are written, as the demo module asks).
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
cd "$VELKOR_ROOT"

SECONDS_EACH=${BENCH_SECONDS:-10}
CONNECTIONS=${BENCH_CONNECTIONS:-8}
THREADS=${BENCH_THREADS:-2}
NGINX_PORT=${NGINX_PORT:-8290}
ENGINE_PORT=8190
STATIC_FILE=style.css
TEMPLATE_PAGE=MainMenu.html

tree=""
case "${1:-}" in
    --build-dir) tree=${2:?--build-dir needs a folder} ;;
    "") ;;
    *) echo "usage: $0 [--build-dir DIR]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" wrk nginx-light
nginx_program=$(command -v nginx || echo /usr/sbin/nginx)

if [ -z "$tree" ]; then
    tree="$VELKOR_ROOT/build/native"
    cmake --preset native >/dev/null
else
    cmake -S "$VELKOR_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=g++ >/dev/null
fi
cmake --build "$tree" --target velkor >/dev/null

work="$tree/bench/http_load"
install="$work/installation"
module_dir="orvik plotara 310ps 320ps 350ps"
rm -rf "$work"
mkdir -p "$install/log" "$work/nginx/temp"
cp -r modules/brenna "$install/$module_dir"
cp "$tree/src/engine/velkor" "$install/velkor"
www="$install/$module_dir/www"
if [ "${BENCH_ENGINE_LOG:-yes}" = no ]; then
    sed -i 's|<log-to-file>yes</log-to-file>|<log-to-file>no</log-to-file>|' \
        "$install/$module_dir/module.xml"
fi

# A start page of "none" keeps the engine from opening a browser.
printf '%s\r\n' "Name:Bench plotter" TCP "IP: 127.0.0.232" "Port: 9100" "Module:brenna" \
    "Start-page:none" >"$install/params"
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

(cd "$install" && exec ./velkor) >"$work/engine-output.txt" 2>&1 &
engine_pid=$!
"$nginx_program" -p "$work/nginx" -c "$work/nginx/nginx.conf" >"$work/nginx/output.txt" 2>&1 &
nginx_pid=$!
wait_for_port "$ENGINE_PORT" "$engine_pid" engine
wait_for_port "$NGINX_PORT" "$nginx_pid" nginx

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

# Runs wrk against one address; sets rps and p99 (ms); keeps wrk's own report in a file.
run_wrk() {
    local key=$1 name=$2 url=$3 report="$work/wrk-$1.txt"
    wrk -t "$THREADS" -c "$CONNECTIONS" -d "${SECONDS_EACH}s" --latency \
        -H "Connection: keep-alive" "$url" >"$report"
    rps=$(awk '/^Requests\/sec:/ {print $2}' "$report")
    p99=$(to_ms "$(awk '$1 == "99%" {print $2}' "$report")")
    local errors
    errors=$(grep -E 'Non-2xx|Socket errors' "$report" | tr -s ' ' | paste -sd ';' || true)
    printf '%-34s %12s %12s  %s\n' "$name" "$rps" "$p99" "$errors"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "n/a" }'; }

echo "== wrk: $THREADS threads, $CONNECTIONS keep-alive connections, ${SECONDS_EACH}s each"
printf '%-34s %12s %12s\n' "target" "requests/s" "p99 ms"
run_wrk engine-static "engine  /$STATIC_FILE" "http://127.0.0.1:$ENGINE_PORT/$STATIC_FILE"
engine_static_rps=$rps engine_static_p99=$p99
run_wrk nginx-static "nginx   /$STATIC_FILE" "http://127.0.0.1:$NGINX_PORT/$STATIC_FILE"
nginx_static_rps=$rps nginx_static_p99=$p99
run_wrk engine-page "engine  /$TEMPLATE_PAGE (expanded)" \
    "http://127.0.0.1:$ENGINE_PORT/$TEMPLATE_PAGE"
engine_page_rps=$rps engine_page_p99=$p99
run_wrk nginx-page "nginx   /$TEMPLATE_PAGE (as a file)" \
    "http://127.0.0.1:$NGINX_PORT/$TEMPLATE_PAGE"
nginx_page_rps=$rps nginx_page_p99=$p99

echo "== engine/nginx"
printf '%-34s %12s %12s\n' "/$STATIC_FILE" "$(ratio "$engine_static_rps" "$nginx_static_rps")" \
    "$(ratio "$engine_static_p99" "$nginx_static_p99")"
printf '%-34s %12s %12s\n' "/$TEMPLATE_PAGE" "$(ratio "$engine_page_rps" "$nginx_page_rps")" \
    "$(ratio "$engine_page_p99" "$nginx_page_p99")"

# Let wrk's connections run out, then stop the engine the way a user does.
sleep 3
exec 3<>"/dev/tcp/127.0.0.1/$ENGINE_PORT"
printf 'GET /Exit.html HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n' >&3
status=$(head -n 1 <&3 | tr -d '\r')
exec 3<&-
for _ in $(seq 50); do
    kill -0 "$engine_pid" 2>/dev/null || break
    sleep 0.2
done
if kill -0 "$engine_pid" 2>/dev/null; then
    echo "== the engine did not stop after the exit page ($status)"
else
    wait "$engine_pid" || true
    engine_pid=""
    echo "== the engine stopped after the exit page ($status)"
fi
echo "== reports and logs: $work"
