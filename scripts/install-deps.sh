#!/usr/bin/env bash
# Installs what Velmora needs to build, test and run on Debian 12. Safe to run again.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libavcodec-dev libavformat-dev libavfilter-dev libavutil-dev libswscale-dev
    libswresample-dev libavdevice-dev libavcodec-extra
    libsdl2-dev libcli11-dev nlohmann-json3-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev fonts-noto-cjk
    xvfb xauth
    parallel
    desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
