#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on an X server: its window maps with its caption and the
# program ends cleanly when the window is asked to close.
#   xvfb_smoke.sh PROGRAM CLOSE_HELPER      (under tools/with_xvfb)
set -euo pipefail
program=$1
close_window=$2
caption='teglomer.example.org Физкултура - индекс за телесна маса'

"$program" &
app=$!
trap 'kill "$app" 2>/dev/null || true' EXIT
"$close_window" "$caption" 20
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$app" 2>/dev/null; then
    echo "the program did not end after its window was closed"
    exit 1
fi
status=0
wait "$app" || status=$?
echo "program exited with status $status"
exit "$status"
