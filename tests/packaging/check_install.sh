#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built program into a temporary prefix and checks what a
# desktop and the manual see of it.
#   check_install.sh BUILD_DIR SOURCE_DIR APP_ID CMAKE
set -euo pipefail
build=$1
source=$2
id=$3
cmake=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# --- the install tree
"$cmake" --install "$build" --prefix "$tmp/root/usr" >/dev/null
expected=(
    usr/bin/teglomer
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
    usr/share/man/man1/teglomer.1
    usr/share/man/bg/man1/teglomer.1
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

# The release and the publisher are written once, in debian/; the build
# fills them in.
version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
# The date as the entry writes it ("Tue, 08 Dec 2026 12:00:00 +0000"), in
# whatever time zone it names.
date=$(LC_ALL=C date -d "$(dpkg-parsechangelog -l "$source/debian/changelog" -S Date | cut -d ' ' -f 2-4)" +%F)
field() { awk -v f="$1: " 'index($0, f) == 1 {print substr($0, length(f) + 1); exit}' "$source/debian/control"; }
homepage=$(field Homepage) bugs=$(field X-Bug-Tracker) developer=$(field Maintainer | sed 's/ *<.*//')
metainfo=$tmp/root/usr/share/metainfo/$id.metainfo.xml
man_en=$tmp/root/usr/share/man/man1/teglomer.1
man_bg=$tmp/root/usr/share/man/bg/man1/teglomer.1
while read -r file text; do
    grep -qF -- "$text" "$file" || fail "$(basename "$file") lacks: $text"
done <<EOF2
$metainfo <release version="$version" date="$date">
$metainfo <url type="homepage">$homepage</url>
$metainfo <url type="bugtracker">$bugs</url>
$metainfo <developer_name>$developer</developer_name>
$man_en .TH TEGLOMER 1 $date "teglomer $version"
$man_bg .TH TEGLOMER 1 $date "teglomer $version"
$man_en .UR $bugs
$man_bg .UR $homepage
EOF2
echo "release $version of $date, $homepage: in the metainfo and both manual pages"

# Both manual pages format without a warning and have a whatis entry.
for page in "$man_en" "$man_bg"; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "man $page: $out"
    whatis=$(lexgrog "$page") || fail "no whatis entry in $page"
    grep -q ': "teglomer - ' <<<"$whatis" || fail "whatis entry of $page: $whatis"
done
echo "manual pages: format cleanly, whatis entries found"
