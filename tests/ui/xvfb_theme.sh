#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on an X server under the desktop settings in the
# environment (a platform theme, a style): every text on its window reads,
# inactive and active; then the window is closed and the program must end
# cleanly.
#   xvfb_theme.sh PROGRAM CHECKER CLOSE_HELPER [CHECKER OPTIONS]   (under tools/with_xvfb)
set -euo pipefail
program=$1 checker=$2 close_window=$3
shift 3
caption='teglomer.example.org Физкултура - индекс за телесна маса'

"$program" &
app=$!
trap 'kill "$app" 2>/dev/null || true' EXIT
status=0
"$checker" "$caption" "$@" || status=$?
"$close_window" "$caption" 20 >/dev/null
program_status=0
wait "$app" || program_status=$?
if [ "$program_status" -ne 0 ]; then
    echo "program exited with status $program_status"
    exit "$program_status"
fi
exit "$status"
