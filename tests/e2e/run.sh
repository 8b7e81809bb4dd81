#!/usr/bin/env bash
# The end-to-end browser test: the demo module served by the engine of a build tree and driven in
# headless Chromium. Usage: run.sh [--wine] BUILD_TREE   (BUILD_TREE holds src/engine/velkor, or
# with --wine src/engine/velkor.exe). Screenshots and logs go to BUILD_TREE/e2e/. Installs
# nothing: needs chromium, chromedriver and python3 (and wine64 with --wine), and the native
# build's lay_installation (LAY_INSTALLATION names another).
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
[ ${#wine[@]} -gt 0 ] && engine="$tree/src/engine/velkor.exe"
missing=()
for tool in python3 chromium chromedriver; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -f "$engine" ] || missing+=("$engine")
[ -x "$LAY_INSTALLATION" ] || missing+=("$LAY_INSTALLATION")
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
    --lay-installation "$LAY_INSTALLATION" \
    --module "$VELKOR_ROOT/modules/brenna" \
    --installation "$work/installation" \
    --artefacts "$work/artefacts"
