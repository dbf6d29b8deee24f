# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the run and test commands: installs the Debian packages the build
# needs, then configures and builds incrementally.

set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# ensure_packages PKG... : installs what is missing, as root; otherwise prints
# the exact command to run and stops.
ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Missing packages. Run this, then try again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}

BUILD_PACKAGES=(cmake make g++ libgtest-dev qt6-base-dev fonts-liberation qt6-translations-l10n)

# configure_and_build DIR [CMAKE ARGS...]
configure_and_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
    fi
    cmake --build "$dir" -j "$JOBS"
}
