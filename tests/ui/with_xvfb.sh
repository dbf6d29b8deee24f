#!/usr/bin/env bash
# Runs a command on a fresh virtual X server of its own, then stops the server.
#   with_xvfb.sh COMMAND [ARGS...]
set -euo pipefail

tmp=$(mktemp -d)
cleanup() {
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || { echo "Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$tmp/display")"
export XDG_RUNTIME_DIR=$tmp
export QT_QPA_PLATFORM=xcb
"$@"
