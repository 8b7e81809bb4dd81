# Shared by the scripts: package installation and the Wine environment.
# shellcheck shell=bash

VELKOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

# Installs the Debian packages given that are not installed yet.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null || return 1
}

BUILD_PACKAGES=(cmake ninja-build g++ googletest clang-format libcups2-dev)
# python3 draws the programs' icons from their text sources at build time.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev mingw-w64-tools wine64 locales python3 nsis)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
E2E_PACKAGES=(chromium chromium-driver python3)
NETNS_PACKAGES=(iproute2)
# The native caller's tests run a CUPS scheduler of their own and make queues with lpadmin.
CUPS_PACKAGES=(cups-daemon cups-client)
# The tests' desktop: a virtual X display, xdotool and xmessage for native windows, import
# for screenshots, and one small font with Japanese, Chinese and Korean glyphs for Wine.
DESKTOP_PACKAGES=(xvfb xdotool imagemagick x11-utils fonts-wqy-microhei)

# Runs the command given (the calling script again) in a network namespace of its own (loopback only), so that the
# fixed ports 8190 and 9100 of its tests meet nothing else running on this machine. Does
# nothing when namespaces are not available (not root, or a container that forbids them).
enter_private_network() {
    [ -n "${VELKOR_PRIVATE_NETWORK:-}" ] && return 0
    [ "$(id -u)" -eq 0 ] || return 0
    command -v unshare >/dev/null && command -v ip >/dev/null || return 0
    unshare -n true 2>/dev/null || return 0
    echo "== running in a private network namespace"
    exec unshare -n env VELKOR_PRIVATE_NETWORK=1 bash -c 'ip link set lo up && exec "$@"' \
        bash "$@"
}

# Exports the environment of every Wine run for the prefix of a Windows build tree.
use_wine_prefix() {
    export WINEPREFIX="$1/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES=winemenubuilder.exe=d
}

# Creates the prefix once and starts a persistent wineserver with Wine's own services, so
# that no test inherits them (they would hold a test runner's output pipe open).
start_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== creating Wine prefix $WINEPREFIX"
        "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    "$WINESERVER" -p 2>/dev/null || true  # already running is fine
    "$WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
    hold_wine_desktop
}

# Wine makes its desktop with the display of the first windowed program and ends it soon after
# the last, so a program without a display could leave the next tests' windows without one.
# With a test display and the tree's holder built, a hidden window of the holder keeps the
# desktop on that display for the whole run (stop_wine ends it); programs started without a
# display still fail their message boxes at once.
hold_wine_desktop() {
    local holder=${WINEPREFIX%/wineprefix}/tests/window/hold_desktop.exe
    local ready=${WINEPREFIX%/wineprefix}/hold_desktop.out
    [ -n "${VELKOR_TEST_DISPLAY:-}" ] && [ -f "$holder" ] || return 0
    # Only this tree's holder counts: another tree's keeps another prefix's desktop.
    grep -q ready "$ready" 2>/dev/null && pgrep -f -- "$holder" >/dev/null && return 0
    rm -f "$ready"
    DISPLAY=$VELKOR_TEST_DISPLAY "$WINE64" "$holder" </dev/null >"$ready" 2>/dev/null &
    wait_until 60 grep -q ready "$ready" || echo "== Wine's desktop holder did not start"
}

stop_wine() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
}

# Starts one Xvfb for the whole run on DISPLAY (default :93, seldom taken) and exports it as
# VELKOR_TEST_DISPLAY, where the tests show their windows; programs under test get it only
# when a test hands it to them. Xvfb writes the display number to a pipe once it accepts
# connections, so nothing sleeps. Fails, leaving the tests to start their own, when the
# display is taken.
start_display() {
    local display=${1:-:93} number=""
    # -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
    coproc VELKOR_XVFB { exec Xvfb "$display" -displayfd 1 -noreset -nolisten tcp -screen 0 1024x768x24 2>/dev/null; }
    read -r -t 30 number <&"${VELKOR_XVFB[0]}" || true
    if [ -z "$number" ]; then
        stop_display
        return 1
    fi
    export VELKOR_TEST_DISPLAY=":$number"
}

stop_display() {
    [ -n "${VELKOR_XVFB_PID:-}" ] || return 0
    kill "$VELKOR_XVFB_PID" 2>/dev/null
    wait "$VELKOR_XVFB_PID" 2>/dev/null
    unset VELKOR_XVFB_PID VELKOR_TEST_DISPLAY
}

# Runs the command given until it succeeds (0) or SECONDS pass (1): the one place a script
# polls. The limit only guards against a hang.
wait_until() {
    local seconds=$1 end
    shift
    end=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# True when the engine on 127.0.0.1:8190 answers a whole request. A bare connection would
# count as open for a while and keep the exit page from stopping the engine.
engine_answers() {
    local status
    status=$( (exec 3<>/dev/tcp/127.0.0.1/8190 && printf 'GET /ready-check.gif HTTP/1.0\r\n\r\n' >&3 &&
        head -c 5 <&3 && cat <&3 >/dev/null) 2>/dev/null) || return 1
    [ "$status" = HTTP/ ]
}

# The installation builder, a native program of the harness (tests/harness/lay_installation).
LAY_INSTALLATION=${LAY_INSTALLATION:-$VELKOR_ROOT/build/native/tests/harness/lay_installation}
