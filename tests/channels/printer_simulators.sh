#!/bin/sh
# Starts and stops the printers the channel tests talk to: Linux simulators on loopback TCP
# and ptys and, for a Windows tree, Windows simulators on named pipes under Wine.
#
#   printer_simulators.sh start DIR SIMULATOR [WINDOWS_SIMULATOR WINE_RUN WINEPREFIX]
#   printer_simulators.sh stop DIR
#
# For every printer NAME, DIR/NAME.address holds what a test puts in its channel address and
# DIR/NAME.record every byte the printer received. The tests run as ctest fixtures because a
# Windows test program under Wine cannot start the Linux simulator itself.
set -u
action=$1
dir=$2

# Every simulator also ends on its own, so one left behind by an interrupted run frees its
# address in the end.
LIFETIME=1800

stop_all() {
    for pidfile in "$dir"/*.pid; do
        [ -f "$pidfile" ] || continue
        kill "$(cat "$pidfile")" 2>/dev/null
        rm -f "$pidfile"
    done
    for saved in "$dir"/*.link; do
        [ -f "$saved" ] || continue
        link=$(sed -n 1p "$saved")
        previous=$(sed -n 2p "$saved")
        rm -f "$link"
        [ -n "$previous" ] && ln -s "$previous" "$link"
        rm -f "$saved"
    done
}

# start_printer NAME FOLDER PROGRAM ARGS...: FOLDER is DIR as PROGRAM names it (a Windows
# program under Wine reaches it through drive Z:).
start_printer() {
    name=$1
    place=$2
    shift 2
    "$@" --record "$place/$name.record" --ready "$place/$name.ready" --max-seconds "$LIFETIME" \
        </dev/null >"$dir/$name.log" 2>&1 &
    echo $! >"$dir/$name.pid"
    names="$names $name"
}

# remember_link NAME DEVICE: DEVICE (a Wine dosdevices entry) is about to reach pty printer
# NAME; the entry it replaces comes back at stop.
remember_link() {
    printf '%s\n%s\n' "$2" "$(readlink "$2" 2>/dev/null)" >"$dir/$1.link"
}

wait_until_ready() {
    tries=0
    for name in $names; do
        while [ ! -f "$dir/$name.ready" ]; do
            if ! kill -0 "$(cat "$dir/$name.pid")" 2>/dev/null || [ "$tries" -ge 600 ]; then
                echo "printer $name did not come up:"
                cat "$dir/$name.log"
                return 1
            fi
            tries=$((tries + 1))
            sleep 0.05
        done
    done
}

case "$action" in
stop)
    stop_all
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start|stop DIR SIMULATOR [WINDOWS_SIMULATOR WINE_RUN WINEPREFIX]" >&2
    exit 2
    ;;
esac

simulator=$3
windows_simulator=${4:-}
wine_run=${5:-}
wineprefix=${6:-}
mkdir -p "$dir"
stop_all
rm -f "$dir"/*
names=""

answer='@PJL INFO ID\r\n'
product='"PLOTARA 5000"\r\n'
tcp_printer() {
    name=$1
    address=$2
    shift 2
    start_printer "$name" "$dir" "$simulator" --tcp "$address" "$@"
    echo "$address" >"$dir/$name.address"
}
tcp_printer tcp_record 127.0.0.30 --answer "$answer" "$product"
tcp_printer tcp_stall 127.0.0.31 --stall 4000
tcp_printer tcp_silent 127.0.0.32 --answer "$answer" "$product" --silent
tcp_printer tcp_drop 127.0.0.33 --drop-after 4096
tcp_printer tcp_short 127.0.0.34 --answer "$answer" "$product" --short 5
tcp_printer tcp_slow 127.0.0.35 --answer "$answer" "$product" --delay 1500

if [ -n "$windows_simulator" ]; then
    # Wine reaches a pty through a port's dosdevices entry; the USB printers are named pipes.
    remember_link lpt "$wineprefix/dosdevices/lpt1"
    remember_link lpt_stall "$wineprefix/dosdevices/lpt2"
    start_printer lpt "$dir" "$simulator" --pty --link "$wineprefix/dosdevices/lpt1" \
        --answer "$answer" "$product"
    start_printer lpt_stall "$dir" "$simulator" --pty --link "$wineprefix/dosdevices/lpt2" --stall 0
    start_printer usb "Z:$dir" "$wine_run" "$windows_simulator" \
        --pipe '\\.\pipe\velkor_printer_usb' --answer "$answer" "$product"
    start_printer usb_stall "Z:$dir" "$wine_run" "$windows_simulator" \
        --pipe '\\.\pipe\velkor_printer_usb_stall' --stall 4000
    start_printer usb_hangup "Z:$dir" "$wine_run" "$windows_simulator" \
        --pipe '\\.\pipe\velkor_printer_usb_hangup' --drop-after 4 --delay 1000
    wait_until_ready || exit 1
    echo 'LPT1:' >"$dir/lpt.address"
    echo 'LPT2:' >"$dir/lpt_stall.address"
    cp "$dir/usb.ready" "$dir/usb.address"
    cp "$dir/usb_stall.ready" "$dir/usb_stall.address"
    cp "$dir/usb_hangup.ready" "$dir/usb_hangup.address"
else
    start_printer lpt "$dir" "$simulator" --pty --answer "$answer" "$product"
    start_printer lpt_stall "$dir" "$simulator" --pty --stall 0
    start_printer usb "$dir" "$simulator" --pty --answer "$answer" "$product"
    start_printer usb_stall "$dir" "$simulator" --pty --stall 0
    wait_until_ready || exit 1
    for name in lpt lpt_stall usb usb_stall; do
        cp "$dir/$name.ready" "$dir/$name.address"
    done
fi
echo "printers ready:$names"
