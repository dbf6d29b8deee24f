#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the built Debian packages: what they hold and depend on, the
# hardening of the program, its debug symbols, and lintian's verdict.
#   check_package.sh teglomer_VERSION_ARCH.changes [BUILD_FOLDER]
# With BUILD_FOLDER, also checks that its path appears in no installed file.
set -euo pipefail
changes=$1
build_folder=${2:-}
folder=$(dirname "$changes")
deb=$(ls "$folder"/teglomer_*.deb)
dbgsym=$(ls "$folder"/teglomer-dbgsym_*.deb)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

field() { dpkg-deb -f "$1" "$2"; }
depends=$(field "$deb" Depends)
for pkg in fonts-liberation libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
    [[ ", $depends," == *", $pkg"[\ ,]* ]] || fail "Depends lacks $pkg: $depends"
done
[[ ", $(field "$deb" Recommends)," == *", qt6-translations-l10n,"* ]] ||
    fail "Recommends lacks qt6-translations-l10n"
echo "Depends: $depends"

id=$(dpkg-deb -c "$deb" | sed -n 's|.*/usr/share/applications/\(.*\)\.desktop$|\1|p')
[ -n "$id" ] || fail "no desktop entry"
expected=(
    usr/bin/teglomer
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
    usr/share/man/man1/teglomer.1.gz
    usr/share/man/bg/man1/teglomer.1.gz
    usr/share/doc/teglomer/copyright
    usr/share/doc/teglomer/changelog.gz
)
for size in 32 48 64 128; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png"); done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in "${expected[@]}"; do grep -qx "./$f" <<<"$contents" || fail "package lacks $f"; done
grep -i -E 'test|gtest' <<<"$contents" && fail "test files in the package"

dpkg-deb -x "$deb" "$tmp/root"
dpkg-deb -x "$dbgsym" "$tmp/root"
program=$tmp/root/usr/bin/teglomer
[ "$(head -n 1 "$tmp/root/usr/share/doc/teglomer/copyright")" = \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "copyright is not machine-readable"
version=$(field "$deb" Version)
first=$(zcat "$tmp/root/usr/share/doc/teglomer/changelog.gz" | sed -n 1p)
[[ "$first" == "teglomer ($version) "* ]] || fail "changelog.gz does not start with version $version"

needed=$(objdump -p "$program" | awk '/NEEDED/ {print $2}')
grep -i -E 'gtest|gmock|Qt6Test' <<<"$needed" && fail "the program links test code"

# Hardening: position-independent, read-only relocations bound at start,
# stack protector and fortified functions.
dynamic=$(readelf -d "$program")
grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || fail "not a position-independent executable"
grep -q 'FLAGS.*BIND_NOW' <<<"$dynamic" || fail "not linked with -z now"
segments=$(readelf -lW "$program")
grep -q GNU_RELRO <<<"$segments" || fail "no RELRO segment"
symbols=$(readelf -W --dyn-syms "$program")
grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector"
fortified=$(grep -o '__[a-z]*_chk@' <<<"$symbols" | sort -u | tr -d @ | tr '\n' ' ') || true
if [ -z "$fortified" ]; then
    # The program may well need no checked call at all (its numbers are
    # written without printf); then the compile flags must show it was
    # built to use them, and lintian below judges the calls it makes.
    commands=$(ls "$build_folder"/obj-*/compile_commands.json 2>/dev/null | head -n 1)
    [ -n "$commands" ] || fail "no fortified function, and no build folder to tell why"
    unfortified=$(grep '"command"' "$commands" | grep -c -v -- '-D_FORTIFY_SOURCE=2') || true
    [ "$unfortified" -eq 0 ] || fail "$unfortified compile commands without -D_FORTIFY_SOURCE=2"
    fortified="built with -D_FORTIFY_SOURCE=2 (no call needed a checked variant)"
fi
echo "hardening: PIE, BIND_NOW, RELRO, stack protector, $fortified"

# The debug symbols are found by the program's Build ID, and the program
# itself carries none.
build_id=$(readelf -n "$program" | awk '/Build ID:/ {print $3}')
debug=$tmp/root/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug
[ -f "$debug" ] || fail "dbgsym lacks the debug file of Build ID $build_id"
# (readelf finds no interpreter in a debug file, and says so.)
sections=$(readelf -SW "$debug" 2>/dev/null)
grep -q '\.debug_info' <<<"$sections" || fail "$debug holds no debug information"
sections=$(readelf -SW "$program")
grep -q '\.debug_' <<<"$sections" && fail "the program is not stripped"
echo "debug symbols: Build ID $build_id"

if [ -n "$build_folder" ]; then
    grep -r -l -F -- "$build_folder" "$tmp/root" && fail "files hold the build folder $build_folder"
    echo "no file holds the build folder's path"
fi

# Lintian, with every tag shown, has nothing to say. Given the .changes, it
# sees the packages together (a lone debug package's doc link points to a
# package it cannot see). Its notice about running as root is not a finding.
out=$(lintian -I -E --pedantic "$changes" 2>&1 | grep -v -x 'running with root privileges is not recommended!') ||
    true
[ -z "$out" ] || fail "lintian says:"$'\n'"$out"
echo "lintian -I -E --pedantic: nothing to say"
echo "package: $(basename "$deb"), $(echo "$contents" | grep -c -v '/$') files"
