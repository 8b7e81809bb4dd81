#!/usr/bin/env bash
# Builds the engine and the printer simulator if needed, lays out a demo installation under the
# build tree, starts a simulated network printer on 127.0.0.2:9100 and runs the engine there:
# the native engine, or with --wine the Windows engine under Wine. Prints the address to open
# and serves until the module's exit page is opened; then prints the engine's log and leaves
# the installation in place to look at.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$VELKOR_ROOT"

target=native
case "${1:-}" in
    --wine) target=windows ;;
    "") ;;
    *) echo "usage: $0 [--wine]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}"
[ "$target" = windows ] && ensure_packages "${WINDOWS_PACKAGES[@]}"

cmake --preset "$target" >/dev/null
cmake --build --preset "$target" --target velkor
cmake --preset native >/dev/null
cmake --build --preset native --target printer_simulator lay_installation

install="$VELKOR_ROOT/build/demo-$target/installation"
module_dir="orvik plotara 310ps 320ps 350ps"
key='HKEY_LOCAL_MACHINE\SOFTWARE\Orvik\Plotara TroubleShooter'
if [ "$target" = native ]; then
    program=build/native/src/engine/velkor
    lay_target=native
else
    program=build/windows/src/engine/velkor.exe
    lay_target=wine
    use_wine_prefix "$VELKOR_ROOT/build/windows"
    start_wine
fi
installed=$("$LAY_INSTALLATION" "$install" --target "$lay_target" --fresh \
    --program-file "$program" --folder log --copy modules/brenna "$module_dir" \
    --params 'Name:Demo plotter\r\nTCP\r\nIP: 127.0.0.2\r\nPort: 9100\r\nModule:brenna\r\n' \
    --reg-delete "$key" --reg-string "$key" PATH '{installation}' \
    --reg-string "$key\\SMM" brenna "$module_dir" \
    --reg-string "$key\\ProdNumbers" Q1251A brenna \
    --reg-string "$key\\ProdNumbers" Q1252A brenna)
command=("$installed")
[ "$target" = windows ] && command=("$WINE64" "$installed")

echo "== demo installation: $install"
rm -f "$install/printer.ready"
build/native/tools/printer_simulator/printer_simulator --tcp 127.0.0.2 \
    --record "$install/printer-received.bin" --ready "$install/printer.ready" \
    --max-seconds 86400 >"$install/printer.log" 2>&1 &
printer=$!
trap 'kill "$printer" 2>/dev/null || true' EXIT
wait_until 30 test -e "$install/printer.ready" || echo "== the printer simulator did not start"

echo "== starting ${command[*]}"
(cd "$install" && exec "${command[@]}") &
engine=$!
engine_serves_or_ended() { ! kill -0 "$engine" 2>/dev/null || engine_answers; }
if wait_until 120 engine_serves_or_ended && kill -0 "$engine" 2>/dev/null; then
    echo "== the engine serves: open http://127.0.0.1:8190/MainMenu.html"
    echo "   (its own start address is in the log below); open Exit.html to stop it"
fi
status=0
wait "$engine" || status=$?
echo "== the engine ended with exit code $status"
[ -e "$install/params" ] && echo "== the params file is still there" || echo "== the params file was read and deleted"
echo "== log:"
cat "$install"/log/*.log
