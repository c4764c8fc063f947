#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and package Quillmoor (as root).
# Only what is missing is installed; a machine that has everything is left alone.
set -euo pipefail
packages=(
    build-essential cmake pkg-config git python3
    freeglut3-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
    libgtk-3-dev libfreetype-dev libcairo2-dev libpng-dev fonts-dejavu-core libncl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev
    xvfb xauth xdotool xclip x11-utils imagemagick poppler-utils
    dpkg-dev file lintian desktop-file-utils appstream man-db
)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: everything is installed"
    exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
