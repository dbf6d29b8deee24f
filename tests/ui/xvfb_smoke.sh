#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on an X server: its window maps with its caption and the
# program ends cleanly when the window is asked to close, having printed
# nothing. With "no-runtime-dir" it starts as outside a login session; with
# --check, CHECKER CAPTION [ARGS...] must pass while the window is up.
#   xvfb_smoke.sh PROGRAM CLOSE_HELPER [no-runtime-dir] [--check CHECKER [ARGS...]]
#   (under tools/with_xvfb)
set -euo pipefail
program=$1
close_window=$2
shift 2
caption='teglomer.example.org Физкултура - индекс за телесна маса'
if [ "${1:-}" = no-runtime-dir ]; then
    unset XDG_RUNTIME_DIR
    shift
fi
check=()
if [ "${1:-}" = --check ]; then
    shift
    check=("$@")
fi

printed=$(mktemp)
"$program" >"$printed" 2>&1 &
app=$!
trap 'kill "$app" 2>/dev/null || true; rm -f "$printed"' EXIT
check_status=0
if [ ${#check[@]} -gt 0 ]; then
    "${check[0]}" "$caption" "${check[@]:1}" || check_status=$?
fi
"$close_window" "$caption" 20
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$app" 2>/dev/null; then
    echo "the program did not end after its window was closed"
    exit 1
fi
status=0
wait "$app" || status=$?
echo "program exited with status $status"
if [ -s "$printed" ]; then
    echo "the program printed:"
    cat "$printed"
    exit 1
fi
[ "$status" -ne 0 ] && exit "$status"
exit "$check_status"
