#!/usr/bin/env bash
# Runs a command on a terminal of its own (a pseudo-terminal from script(1)),
# so that Wine gives the Windows program a console. Its output goes through a
# file rather than the terminal, where Wine's console would redraw it.
# Exit status: the command's.
set -euo pipefail
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
script --quiet --return --command "$(printf '%q ' "$@") >$output 2>&1" /dev/null >/dev/null 2>&1 || status=$?
cat "$output"
exit "$status"
