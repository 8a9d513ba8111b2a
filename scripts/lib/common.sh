# SPDX-License-Identifier: MIT
# Shared by the scripts and the shell tests: package installation, configure
# and build, and the harness that runs the programs (harness.sh). Source it;
# it sets ROOT to the checkout and JOBS to the core count.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Everything the build, the tests and the demo need, from Debian's packages.
RADAR_PACKAGES=(
    cmake make g++ ccache pkg-config
    qtbase5-dev libqt5opengl5-dev qt5-image-formats-plugins
    libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
    libgtest-dev libgmock-dev libtinyobjloader-dev
    xvfb xauth x11-utils xdotool matchbox-window-manager imagemagick
    locales desktop-file-utils man-db dpkg-dev file lintian systemd
    clang libclang-rt-14-dev
    liblo-dev
)

log() { printf '==> %s\n' "$*" >&2; }

# Installs the packages that are missing; does nothing when all are there.
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The decimal-comma locale the tests read and write numbers under.
ensure_test_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
    log "generating the de_DE.UTF-8 locale"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
    local dir="$1"
    shift
    log "configuring $dir"
    cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
    log "building $dir"
    cmake --build "$dir" -j "$JOBS" -- --no-print-directory
}

# Running the real programs: virtual displays, radarsim, the client.
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
