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
cp -r "$seeds/." "$work/"
"$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/" "$work" 2>&1 | grep -E 'Done|stat::number_of_executed_units|ERROR|property broken|SUMMARY' || true
# A finding leaves a crash or timeout file beside the corpus.
if ls "$work"/crash-* "$work"/timeout-* "$work"/leak-* >/dev/null 2>&1; then
    echo "finding:"; ls "$work"/crash-* "$work"/timeout-* "$work"/leak-* 2>/dev/null
    exit 1
fi
