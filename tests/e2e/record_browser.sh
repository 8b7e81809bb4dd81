#!/bin/sh
# Registered as the workstation's web browser in the test installation: records the address the
# engine asked it to open instead of opening a window.
printf '%s\n' "$1" >"$(dirname "$0")/browser-opened.txt"
