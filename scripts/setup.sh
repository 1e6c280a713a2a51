#!/usr/bin/env bash
# Installs the Debian 12 packages Lumivex needs to build, test and run. Does nothing for packages
# that are already there, so it is cheap to call before every build.
set -euo pipefail

packages=(
    build-essential g++ clang libclang-rt-14-dev cmake ninja-build pkg-config git
    googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    libjpeg62-turbo-dev libjpeg-turbo-progs libspng-dev libtiff-dev
    qt6-base-dev libgl-dev
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
    xvfb xauth imagemagick
    libexiv2-dev libimage-exiftool-perl
    dpkg-dev file appstream desktop-file-utils man-db bash-completion
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
