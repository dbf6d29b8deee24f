#!/usr/bin/env bash
# The real program on a real X server: its window maps with its caption and
# the program ends cleanly when the window is asked to close.
#   xvfb_smoke.sh PROGRAM CLOSE_HELPER
set -euo pipefail
program=$1
close_window=$2
caption='teglomer.example.org Физкултура - индекс за телесна маса'

tmp=$(mktemp -d)
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || { echo "Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$tmp/display")"
export XDG_RUNTIME_DIR=$tmp

QT_QPA_PLATFORM=xcb "$program" &
app=$!
"$close_window" "$caption" 20
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$app" 2>/dev/null; then echo "the program did not end after its window was closed"; exit 1; fi
status=0
wait "$app" || status=$?
app=
echo "program exited with status $status"
exit "$status"
