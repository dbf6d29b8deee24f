# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the commands in tools/: sets up what the machine lacks (Debian
# packages, generated locales), then configures and builds incrementally.
#
#   need_packages PKG...   add packages to what the command needs
#   need_locales LOCALE... add locales (e.g. bg_BG.UTF-8) that must be generated
#   ensure_setup           install and generate what is missing, as root;
#                          otherwise print the one command that does it, and stop

set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# What every build needs. dpkg-dev reads the release out of debian/changelog
# for the install test; fonts-liberation carries the metrics the window is
# drawn for.
BUILD_PACKAGES=(cmake make g++ dpkg-dev libgtest-dev qt6-base-dev libstb-dev nlohmann-json3-dev libkainjow-mustache-dev fonts-liberation
    qt6-translations-l10n)

# What a WebAssembly build, the site's included, needs besides: Debian's
# emscripten, Node.js to run what it builds, optipng for the site's icons
# and terser for its scripts.
WEB_BUILD_PACKAGES=(cmake make emscripten nodejs optipng node-terser)

# The site's server: Debian's serve-static and compression under Node.js.
SERVE_PACKAGES=(nodejs node-serve-static node-compression)
# Debian's Node.js finds Debian's own modules by itself; one from elsewhere
# is told where they are.
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs

# What `emcmake cmake` would add, given on every configure of a WebAssembly
# build.
EMSCRIPTEN_TOOLCHAIN=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake

NEEDED_PACKAGES=()
NEEDED_LOCALES=()
need_packages() { NEEDED_PACKAGES+=("$@"); }
need_locales() { NEEDED_LOCALES+=("$@"); }

package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# "bg_BG.UTF-8" is listed by `locale -a` as "bg_BG.utf8".
locale_generated() {
    local name=${1%%.*} codeset=${1#*.}
    codeset=$(echo "$codeset" | tr 'A-Z' 'a-z' | tr -d -- '-')
    locale -a 2>/dev/null | grep -qx "$name.$codeset"
}

# The shell commands that install $missing_packages and generate $missing_locales.
setup_commands() {
    local steps=()
    if [ ${#missing_packages[@]} -gt 0 ]; then
        steps+=("apt-get update" "apt-get install -y --no-install-recommends ${missing_packages[*]}")
    fi
    if [ ${#missing_locales[@]} -gt 0 ]; then
        local loc
        for loc in "${missing_locales[@]}"; do
            steps+=("(grep -qx '$loc ${loc#*.}' /etc/locale.gen || echo '$loc ${loc#*.}' >>/etc/locale.gen)")
        done
        steps+=("locale-gen --keep-existing")  # leaves the locales in use in place
    fi
    local joined="" step
    for step in "${steps[@]}"; do joined+="${joined:+ && }$step"; done
    echo "$joined"
}

ensure_setup() {
    missing_packages=()
    missing_locales=()
    local pkg loc
    [ ${#NEEDED_LOCALES[@]} -gt 0 ] && NEEDED_PACKAGES+=(locales)
    for pkg in "${NEEDED_PACKAGES[@]}"; do
        package_installed "$pkg" || missing_packages+=("$pkg")
    done
    for loc in "${NEEDED_LOCALES[@]}"; do
        locale_generated "$loc" || missing_locales+=("$loc")
    done
    [ ${#missing_packages[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && return 0
    # Unique, in order.
    mapfile -t missing_packages < <(printf '%s\n' "${missing_packages[@]}" | awk 'NF && !seen[$0]++')

    local commands
    commands=$(setup_commands)
    if [ "$(id -u)" -eq 0 ]; then
        [ ${#missing_packages[@]} -gt 0 ] && echo "Installing: ${missing_packages[*]}"
        [ ${#missing_locales[@]} -gt 0 ] && echo "Generating locales: ${missing_locales[*]}"
        DEBIAN_FRONTEND=noninteractive bash -c "set -e; $commands"
        return 0
    fi
    echo "This needs packages or locales that are missing. Run this, then try again:" >&2
    if command -v sudo >/dev/null 2>&1; then
        echo "  sudo sh -c \"${commands//\"/\\\"}\"" >&2
    else
        echo "  su -c \"${commands//\"/\\\"}\"" >&2
    fi
    exit 1
}

# configure_and_build DIR [CMAKE ARGS...]: the options are passed on every
# configure, so a folder keeps the options of the command that owns it.
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}

# build_site: the site alone, optimised, as it is published,
# into build-web/site (its design table: build-web/design.json); the tests
# are built by tools/test.
SITE_BUILD=$ROOT/build-web
build_site() {
    cmake -S "$ROOT" -B "$SITE_BUILD" -DCMAKE_TOOLCHAIN_FILE="$EMSCRIPTEN_TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTEGLOMER_WERROR=OFF >/dev/null
    cmake --build "$SITE_BUILD" -j "$JOBS" --target site
}

# The page tests and benchmark: Node and the three browser engines the page
# is tested in (Chromium; Firefox ESR; WebKitGTK's driver, which brings its
# MiniBrowser, on a display of its own from Xvfb), and the fonts the page is
# laid out with and checked with. Debian's npm only where `npm` is missing:
# a nodejs from another repository bundles its own, which Debian's package
# would conflict with.
need_page_packages() {
    need_packages chromium firefox-esr webkit2gtk-driver xvfb fonts-liberation fonts-dejavu-core \
        "${SERVE_PACKAGES[@]}"
    command -v npm >/dev/null 2>&1 || need_packages npm
}

# npm_ci DIR [NPM CI ARGS...]: installs DIR's locked packages, again only when
# the lock or the arguments changed. No package's install script runs: none
# may fetch a browser or a driver.
npm_ci() {
    local dir=$1 sum
    shift
    sum="$(sha256sum "$dir/package-lock.json" | cut -d' ' -f1) $*"
    [ "$(cat "$dir/node_modules/.teglomer-lock" 2>/dev/null)" = "$sum" ] && return 0
    (cd "$dir" && npm ci --no-audit --no-fund --ignore-scripts "$@")
    echo "$sum" >"$dir/node_modules/.teglomer-lock"
}
