#!/usr/bin/env bash
# The end-to-end browser test: the demo module served by the engine of a build tree and driven in
# headless Chromium. Usage: run.sh [--wine] BUILD_TREE   (BUILD_TREE holds src/engine/velkor, or
# with --wine src/engine/velkor.exe). Screenshots and logs go to BUILD_TREE/e2e/. Installs
# nothing: needs chromium, chromedriver and python3 (and wine64 with --wine), the native
# build's lay_installation (LAY_INSTALLATION names another) and a Linux printer simulator: the
# tree's own, the one a Windows tree builds for its channel tests, or the native build's
# (PRINTER_SIMULATOR names another).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/common.sh"

wine=()
if [ "${1:-}" = --wine ]; then
    wine=(--wine --wine64 "$WINE64")
    shift
fi
[ $# -eq 1 ] || { echo "usage: $0 [--wine] BUILD_TREE" >&2; exit 2; }
tree=$(cd "$1" && pwd)

engine="$tree/src/engine/velkor"
recorder="$tree/tools/browser_recorder/browser_recorder"
if [ ${#wine[@]} -gt 0 ]; then
    engine="$tree/src/engine/velkor.exe"
    recorder="$tree/tools/browser_recorder/browser_recorder.exe"
fi
# The printer is a Linux program whichever engine runs: Wine's sockets are the host's.
if [ -z "${PRINTER_SIMULATOR:-}" ]; then
    for candidate in "$tree/tools/printer_simulator/printer_simulator" \
        "$tree/tests/channels/native_printer_simulator/printer_simulator" \
        "$VELKOR_ROOT/build/native/tools/printer_simulator/printer_simulator"; do
        if [ -x "$candidate" ]; then
            PRINTER_SIMULATOR=$candidate
            break
        fi
    done
fi
missing=()
for tool in python3 chromium chromedriver; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -f "$engine" ] || missing+=("$engine")
[ -f "$recorder" ] || missing+=("$recorder")
[ -x "$LAY_INSTALLATION" ] || missing+=("$LAY_INSTALLATION")
[ -x "${PRINTER_SIMULATOR:-}" ] || missing+=("${PRINTER_SIMULATOR:-the printer simulator}")
if [ ${#missing[@]} -gt 0 ]; then
    echo "FAIL e2e prerequisites: missing ${missing[*]}"
    echo "e2e: 0 passed, 1 failed"
    exit 1
fi

if [ ${#wine[@]} -gt 0 ]; then
    use_wine_prefix "$tree"
    start_wine
fi

work="$tree/e2e"
mkdir -p "$work"
exec python3 -B "$here/demo_browser_test.py" "${wine[@]}" \
    --engine "$engine" \
    --recorder "$recorder" \
    --lay-installation "$LAY_INSTALLATION" \
    --printer-simulator "$PRINTER_SIMULATOR" \
    --module "$VELKOR_ROOT/modules/brenna" \
    --installation "$work/installation" \
    --artefacts "$work/artefacts"
