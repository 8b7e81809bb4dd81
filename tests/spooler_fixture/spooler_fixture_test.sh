#!/bin/sh
# Drives the spooler fixture in the test prefix: a queue it adds is listed with its port and
# driver name and is gone once removed; a refusal gives exit code 1.
# Arguments: the program that runs Windows programs here (empty on Windows), the fixture.
runner=$1
fixture=$2
name="velkor fixture queue $$"
driver="Velkor Fixture Driver $$"
tab=$(printf '\t')
failures=0

fx() {
    if [ -n "$runner" ]; then "$runner" "$fixture" "$@"; else "$fixture" "$@"; fi </dev/null
}
expect() {
    [ "$1" = "$2" ] || { echo "FAIL: $3: got '$1', wanted '$2'"; failures=$((failures + 1)); }
}

fx add "$name" USB001 "$driver" >/dev/null
expect $? 0 "add"
expect "$(fx list | tr -d '\r' | grep -F "$name")" "$name${tab}USB001${tab}$driver" "list after add"
fx remove "$name" >/dev/null
expect $? 0 "remove"
expect "$(fx list | grep -cF "$name")" 0 "list after remove"
fx remove "$name" >/dev/null 2>&1
expect $? 1 "removing a missing queue"
fx remove-driver "$driver" >/dev/null
expect $? 0 "remove-driver"

[ "$failures" -eq 0 ] && echo "spooler fixture: all checks passed"
exit "$failures"
