#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# same_reports.sh NATIVE_DUMP NODE WASM_DUMP_JS DIR: both builds write every
# report of the sweep; their digests must agree.
set -euo pipefail
native=$1 node=$2 wasm=$3 dir=$4
"$native" sweep "$dir/native.txt" | tee "$dir/native.count"
"$node" "$wasm" sweep "$dir/wasm.txt" | tee "$dir/wasm.count"
count=$(sed -n 's/^reports written: //p' "$dir/native.count")
[ -n "$count" ] && cmp -s "$dir/native.count" "$dir/wasm.count" || {
    echo "the builds wrote different numbers of reports" >&2
    exit 1
}
native_sum=$(sha256sum <"$dir/native.txt" | cut -d' ' -f1)
wasm_sum=$(sha256sum <"$dir/wasm.txt" | cut -d' ' -f1)
echo "native      sha256 $native_sum"
echo "WebAssembly sha256 $wasm_sum"
if [ "$native_sum" != "$wasm_sum" ]; then
    echo "the reports differ; the first difference:" >&2
    cmp "$dir/native.txt" "$dir/wasm.txt" >&2 || true
    diff <(tr '\036' '\n' <"$dir/native.txt") <(tr '\036' '\n' <"$dir/wasm.txt") | head -20 >&2 || true
    exit 1
fi
rm -f "$dir/native.txt" "$dir/wasm.txt"
echo "native and WebAssembly reports agree: $count reports compared"
