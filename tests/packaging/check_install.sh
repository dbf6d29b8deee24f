#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built program into a temporary prefix and checks what a
# desktop sees of it; then builds the Debian package and checks what it holds.
#   check_install.sh BUILD_DIR APP_ID CMAKE CPACK
set -euo pipefail
build=$1
id=$2
cmake=$3
cpack=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# --- the install tree
"$cmake" --install "$build" --prefix "$tmp/root/usr" >/dev/null
expected=(
    usr/bin/teglomer
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
)
for size in 32 48 64 128; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png"); done
for f in "${expected[@]}"; do [ -f "$tmp/root/$f" ] || fail "not installed: $f"; done

# Each icon is a PNG of its folder's size (width and height at bytes 16..23).
for size in 32 48 64 128; do
    png="$tmp/root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done

out=$(desktop-file-validate "$tmp/root/usr/share/applications/$id.desktop" 2>&1) ||
    fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate says: $out"
echo "desktop entry: valid, nothing to say"

out=$(appstreamcli validate --no-net --pedantic "$tmp/root/usr/share/metainfo/$id.metainfo.xml" 2>&1) ||
    fail "appstreamcli: $out"
echo "$out" | grep -E '^[EWIP]:' && fail "appstreamcli has remarks"
echo "metainfo: $out"
grep -q "<id>$id</id>" "$tmp/root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$tmp/root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo launchable"

# --- the Debian package
(cd "$tmp" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >/dev/null)
deb=$(ls "$tmp"/pkg/*.deb)
info=$(dpkg-deb -I "$deb")
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
echo "Depends: $depends"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in "${expected[@]}"; do echo "$contents" | grep -qx "./$f" || fail "package lacks $f"; done
echo "$contents" | grep -i -E 'test|gtest' && fail "test files in the package"
dpkg-deb -x "$deb" "$tmp/extracted"
needed=$(objdump -p "$tmp/extracted/usr/bin/teglomer" | awk '/NEEDED/ {print $2}')
echo "$needed" | grep -i -E 'gtest|gmock|Qt6Test' && fail "the program links test code"
echo "package: $(basename "$deb"), $(echo "$contents" | grep -c -v '/$') files"
