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
cmake --build --preset native --target printer_simulator

install="$VELKOR_ROOT/build/demo-$target/installation"
module_dir="orvik plotara 310ps 320ps 350ps"
rm -rf "$install"
mkdir -p "$install/log"
cp -r modules/brenna "$install/$module_dir"

registry="Windows Registry Editor Version 5.00

[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter]

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter]
\"PATH\"=\"$(printf '%s' "$install" | sed 's/\\/\\\\/g')\"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter\\SMM]
\"brenna\"=\"$module_dir\"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter\\ProdNumbers]
\"Q1251A\"=\"brenna\"
\"Q1252A\"=\"brenna\"
"
printf 'Name:Demo plotter\r\nTCP\r\nIP: 127.0.0.2\r\nPort: 9100\r\nModule:brenna\r\n' >"$install/params"

if [ "$target" = native ]; then
    printf '%s' "$registry" >"$install/registry.reg"
    cp build/native/src/engine/velkor "$install/velkor"
    command=("$install/velkor")
else
    use_wine_prefix "$VELKOR_ROOT/build/windows"
    start_wine
    printf '%s' "$registry" >"$install/demo.reg"
    (cd "$install" && "$WINE64" reg import demo.reg)
    cp build/windows/src/engine/velkor.exe "$install/velkor.exe"
    command=("$WINE64" "$install/velkor.exe")
fi

echo "== demo installation: $install"
rm -f "$install/printer.ready"
build/native/tools/printer_simulator/printer_simulator --tcp 127.0.0.2 \
    --record "$install/printer-received.bin" --ready "$install/printer.ready" \
    --max-seconds 86400 >"$install/printer.log" 2>&1 &
printer=$!
trap 'kill "$printer" 2>/dev/null || true' EXIT

echo "== starting ${command[*]}"
(cd "$install" && exec "${command[@]}") &
engine=$!
for _ in $(seq 1 600); do
    kill -0 "$engine" 2>/dev/null || break
    # A whole request: a bare connection would count as open for a while and keep the exit
    # page from stopping the engine.
    if (exec 3<>/dev/tcp/127.0.0.1/8190 && printf 'GET /logo.gif HTTP/1.0\r\n\r\n' >&3 &&
        cat <&3 >/dev/null) 2>/dev/null; then
        echo "== the engine serves: open http://127.0.0.1:8190/MainMenu.html"
        echo "   (its own start address is in the log below); open Exit.html to stop it"
        break
    fi
    sleep 0.1
done
status=0
wait "$engine" || status=$?
echo "== the engine ended with exit code $status"
[ -e "$install/params" ] && echo "== the params file is still there" || echo "== the params file was read and deleted"
echo "== log:"
cat "$install"/log/*.log
