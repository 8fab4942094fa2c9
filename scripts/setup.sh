#!/usr/bin/env bash
# Installs the Debian packages the game, its tools and its tests need, when any is missing.
# Sourced by test.sh and play.sh; runs apt-get update only when something must be installed.
set -euo pipefail

VORN_PACKAGES=(
    cmake ninja-build g++ pkg-config clang-format
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libpng-dev libjpeg-dev zlib1g-dev
    libsdl2-dev libfreetype-dev fonts-liberation fonts-liberation2 libmpg123-dev lame
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    xvfb xauth
    xdg-utils
)

# Only scripts/fuzz.sh needs these: clang and its libFuzzer runtime.
VORN_FUZZ_PACKAGES=(clang libclang-rt-dev)

# Installs the given packages (the game's list when none is given), when any is missing.
vorn_install_packages() {
    local wanted=("$@")
    if [ ${#wanted[@]} -eq 0 ]; then
        wanted=("${VORN_PACKAGES[@]}")
    fi
    local missing=()
    local pkg
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
