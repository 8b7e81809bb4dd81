#!/usr/bin/env bash
# Command send benchmark: one file (200 MB unless told) sent by the native engine's printer
# command to a sink printer on 127.0.0.39:9100, with the progress monitor and without, and the
# same file copied through a plain socket to the same sink, in turn, in the same run.
#   (a) CPU seconds of the engine process for a monitored and an unmonitored send, and their
#       ratio (goal: monitored / unmonitored <= 1.1);
#   (b) MB/s through the engine and through the plain socket, and their ratio (goal: engine /
#       plain >= 0.9).
# Each time runs from the request to the end of the page (or of the copy), the close's linger
# included, so it counts the delivery of the last byte. Runs in a network namespace of its own
# when it can (port 8190 is fixed).
# Usage: bench/command_send.sh [--build-dir DIR] [--megabytes N] [--runs N]
#   (default build folder: the "native" preset's tree)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
enter_private_network bash "$0" "$@"

usage() { echo "usage: $0 [--build-dir DIR] [--megabytes N] [--runs N]" >&2; exit 2; }

tree=""
megabytes=200
runs=7
while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) tree=${2:?--build-dir needs a folder}; shift 2 ;;
        --megabytes) megabytes=${2:?--megabytes needs a number}; shift 2 ;;
        --runs) runs=${2:?--runs needs a number}; shift 2 ;;
        *) usage ;;
    esac
done
cd "$VELKOR_ROOT"

ensure_packages "${BUILD_PACKAGES[@]}"
if [ -z "$tree" ]; then
    tree="$VELKOR_ROOT/build/native"
    cmake --preset native >/dev/null
else
    tree=$(cd "$tree" 2>/dev/null && pwd || echo "$tree")
    cmake -S "$VELKOR_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=g++ >/dev/null
fi
cmake --build "$tree" --target velkor lay_installation command_send_bench >/dev/null
bench="$tree/bench/command_send_bench"

printer=127.0.0.39
module=sendbench
key='HKEY_LOCAL_MACHINE\SOFTWARE\Orvik\Plotara TroubleShooter'
work="$tree/bench/command_send"
install="$work/installation"
job="$work/job.bin"
rm -rf "$install"
mkdir -p "$work"

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
if port_open 8190; then
    echo "port 8190 is already in use" >&2
    exit 1
fi

if [ "$(stat -c %s "$job" 2>/dev/null || echo 0)" != $((megabytes * 1000 * 1000)) ]; then
    head -c $((megabytes * 1000 * 1000)) /dev/urandom >"$job"
fi

# Two commands on one file, one with the progress monitor and one without; long time limits,
# no answer read. Start-up asks the printer for its product number: the sink answers a short
# number, which is the product key as it stands.
command_xml() {
    printf '    <command>\r\n      <name>%s</name>\r\n      <html-page>%s</html-page>\r\n' "$1" "$2"
    printf '      <file-to-send>none.prn</file-to-send>\r\n      <parse-file>no</parse-file>\r\n'
    printf '      <write-timeout>60</write-timeout>\r\n      <read-timeout>5</read-timeout>\r\n'
    printf '      <backchannel-length>0</backchannel-length>\r\n'
    printf '      <display-progress>%s</display-progress>\r\n    </command>\r\n' "$3"
}
module_xml=$(
    printf '<?xml version="1.0" encoding="ISO-8859-1"?>\r\n<module>\r\n'
    printf '  <SMM-version>bench</SMM-version>\r\n  <exit-page>Exit.html</exit-page>\r\n'
    printf '  <log-to-file>yes</log-to-file>\r\n  <show-ui>no</show-ui>\r\n'
    printf '  <prod-number-file>prodnumber.prn</prod-number-file>\r\n'
    printf '  <product-number-timeout>1</product-number-timeout>\r\n'
    printf '  <default-start-page>Exit.html</default-start-page>\r\n  <commands>\r\n'
    command_xml "send watched" SendWatched.html yes
    command_xml "send plain" SendPlain.html no
    printf '  </commands>\r\n</module>\r\n'
)
# The engine's own error pages stand in for a failed command's page: they say why too.
page='<html><body>result=[[display error]]; status=[[display data-transfer-status]];'
page+=' [[display error-param1]]</body></html>'
"$tree/tests/harness/lay_installation" "$install" --fresh \
    --program-file "$tree/src/engine/velkor" --folder log \
    --file "$module/module.xml" "$module_xml" \
    --file "$module/vw/prodnumber.prn" '@PJL INFO ID\r\n' \
    --file "$module/vw/none.prn" '' \
    --file "$module/www/SendWatched.html" "$page" \
    --file "$module/www/SendPlain.html" "$page" \
    --file "$module/www/_io.html" "$page" \
    --file "$module/www/_cmd_file_not_found.html" "$page" \
    --file "$module/www/Exit.html" '<html><body>bye</body></html>' \
    --params "Name:Bench plotter\\r\\nTCP\\r\\nIP: $printer\\r\\nPort: 9100\\r\\nModule:$module\\r\\n" \
    --reg-delete "$key" --reg-string "$key" PATH '{installation}' \
    --reg-string "$key\\SMM" "$module" "$module" \
    --reg-string "$key\\ProdNumbers" BENCH1 "$module" >/dev/null

sink=""
engine=""
cleanup() {
    [ -n "$engine" ] && kill "$engine" 2>/dev/null && wait "$engine" 2>/dev/null
    [ -n "$sink" ] && kill "$sink" 2>/dev/null && wait "$sink" 2>/dev/null
    return 0
}
trap cleanup EXIT

rm -f "$work/sink.ready"
"$bench" sink --address "$printer" --ready "$work/sink.ready" \
    --answer '@PJL INFO ID' 'BENCH1\r\n' >"$work/sink.log" 2>&1 &
sink=$!
if ! wait_until 30 test -e "$work/sink.ready"; then
    echo "the sink did not start:" >&2
    cat "$work/sink.log" >&2
    exit 1
fi

(cd "$install" && exec ./velkor) >"$work/engine-output.txt" 2>&1 &
engine=$!
engine_serves_or_ended() { ! kill -0 "$engine" 2>/dev/null || engine_answers; }
if ! wait_until 60 engine_serves_or_ended || ! kill -0 "$engine" 2>/dev/null; then
    echo "the engine did not start; its log:" >&2
    cat "$install"/log/*.log >&2 || true
    exit 1
fi

echo "== engine pid $engine, sink $printer:9100, $megabytes MB, $runs runs after one warm-up;" \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
"$bench" measure --engine-pid "$engine" --file "$job" --address "$printer" --runs "$runs" ||
    status=$?

# Every send of the file (a warm-up round and the runs, three ways each) reached the sink whole.
whole=$(grep -c ": $((megabytes * 1000 * 1000)) bytes$" "$work/sink.log" || true)
echo "== the sink received the whole file $whole times (expected $((3 * (runs + 1))))"
[ "$status" -eq 0 ] && [ "$whole" -ne $((3 * (runs + 1))) ] && status=1

stopped=$( (exec 3<>/dev/tcp/127.0.0.1/8190 &&
    printf 'GET /Exit.html HTTP/1.1\r\nHost: 127.0.0.1:8190\r\nConnection: close\r\n\r\n' >&3 &&
    head -n 1 <&3 | tr -d '\r') 2>/dev/null || true)
if wait_until 10 bash -c "! kill -0 $engine 2>/dev/null"; then
    wait "$engine" || true
    echo "== engine stopped by the exit page ($stopped)"
else
    echo "== engine did not stop after the exit page ($stopped): killed"
fi
engine=""
echo "== engine log and the sink's record: $work"
exit "$status"
