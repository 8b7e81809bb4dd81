#!/usr/bin/env bash
# Builds and runs the channel send benchmark: a sink printer (the printer simulator, which
# discards what it reads) on 127.0.0.38:9100, then CTcpIpChannel and a plain socket loop
# sending the same 100 MB to it. Arguments go to the benchmark (--megabytes, --repetitions).
# VELKOR_BENCH_BUILD names the build tree (default build/bench, an optimised native tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELKOR_BENCH_BUILD:-$root/build/bench}
address=127.0.0.38

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
        -DVELKOR_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target channel_send_bench printer_simulator >/dev/null

work=$(mktemp -d)
sink=""
cleanup() {
    [ -n "$sink" ] && kill "$sink" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
"$build/tools/printer_simulator/printer_simulator" --tcp "$address" --ready "$work/ready" \
    --max-seconds 900 </dev/null >"$work/sink.log" 2>&1 &
sink=$!
for _ in $(seq 200); do
    [ -f "$work/ready" ] && break
    kill -0 "$sink" 2>/dev/null || break
    sleep 0.05
done
if [ ! -f "$work/ready" ]; then
    echo "the sink did not start:" >&2
    cat "$work/sink.log" >&2
    exit 1
fi
"$build/bench/channel_send_bench" --address "$address" "$@"
