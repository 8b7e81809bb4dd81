#!/usr/bin/env bash
# Builds the engine and the printer simulator if needed, lays out a demo installation under the
# build tree, starts a simulated network printer on 127.0.0.2:9100 and runs the engine there:
# the native engine, or with --wine the Windows engine under Wine. The printer names itself an
# "orvik plotara 530", answers its status, echoes what the system information page sends and
# takes its bytes at about 1 MB a second, so a firmware transfer can be watched. Prints the
# addresses to open and serves until the module's exit page is opened; then prints the
# engine's log and leaves the installation in place to look at.
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
printer_model="orvik plotara 530"
# The engine opens its start page in the desktop's browser: natively xdg-open (when the
# registry store names no browser), under Wine Wine's browser helper, which hands it on.
browser=()
[ "$target" = windows ] && browser=(--reg-string 'HKEY_CLASSES_ROOT\http\shell\open\command' @
    '"C:\windows\system32\winebrowser.exe" "%1"')
installed=$("$LAY_INSTALLATION" "$install" --target "$lay_target" --fresh \
    --program-file "$program" --folder log --copy modules/brenna "$module_dir" \
    --params 'Name:Demo plotter\r\nTCP\r\nIP: 127.0.0.2\r\nPort: 9100\r\nModule:brenna\r\n' \
    --reg-delete "$key" --reg-string "$key" PATH '{installation}' \
    --reg-string "$key\\SMM" brenna "$module_dir" \
    --reg-string "$key\\ProdNumbers" Q1251A brenna \
    --reg-string "$key\\ProdNumbers" Q1252A brenna \
    --reg-string "$key\\ProdNumbers" "$printer_model" brenna "${browser[@]}")
command=("$installed")
[ "$target" = windows ] && command=("$WINE64" "$installed")

# Percent-encodes a text for a query, byte by byte.
url_encode() {
    local LC_ALL=C text=$1 encoded="" c i
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        case "$c" in
            [A-Za-z0-9._~/-]) encoded+=$c ;;
            *) encoded+=$(printf '%%%02X' "'$c") ;;
        esac
    done
    printf '%s' "$encoded"
}

echo "== demo installation: $install"
# A firmware file large enough to watch its transfer for a few seconds.
firmware="$install/firmware/demo-8mb.fmw"
mkdir -p "$install/firmware"
head -c $((8 << 20)) /dev/urandom >"$firmware"
firmware_as_seen=$firmware
[ "$target" = windows ] && firmware_as_seen="Z:${firmware//\//\\}"
rm -f "$install/printer.ready"
build/native/tools/printer_simulator/printer_simulator --tcp 127.0.0.2 \
    --product Q1251A "$printer_model" \
    --status 'CODE=10001\r\nDISPLAY="READY"\r\nONLINE=TRUE' --echo --read-rate $((1 << 20)) \
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
    echo "== the engine serves and has asked the desktop's browser to open its start page;"
    echo "   without a browser open http://127.0.0.1:8190/MainMenu.html (the log below says"
    echo "   what the launch did); open Exit.html to stop it"
    query="file-to-send=$(url_encode "$firmware_as_seen")&abs=1"
    echo "== a firmware transfer of 8 MB with its progress bar:"
    echo "   http://127.0.0.1:8190/Firmware.html?$query"
fi
status=0
wait "$engine" || status=$?
echo "== the engine ended with exit code $status"
[ -e "$install/params" ] && echo "== the params file is still there" || echo "== the params file was read and deleted"
echo "== log:"
cat "$install"/log/*.log
