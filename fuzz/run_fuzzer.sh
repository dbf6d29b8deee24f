#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a fuzz target for a bounded time on a scratch copy of its seed corpus,
# so that the committed seeds stay as they are.
#   run_fuzzer.sh TARGET SEED_DIR SECONDS
set -euo pipefail
target=$1
seeds=$2
seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
cp -r "$seeds/." "$work/corpus/"
status=0
"$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1 || status=$?
grep -E 'process locale|Done|stat::number_of_executed_units|ERROR|property broken|SUMMARY' \
    "$work/log" || true
# A finding leaves a crash, timeout or leak file and a failing status; a
# target that could not start leaves only its status.
findings=$(find "$work" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' \))
if [ -n "$findings" ] || [ "$status" -ne 0 ]; then
    echo "the fuzz target failed with status $status${findings:+; finding: $findings}"
    tail -n 20 "$work/log"
    exit 1
fi
