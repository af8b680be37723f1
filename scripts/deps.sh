#!/usr/bin/env bash
# Installs the Debian packages Murmex needs to build, run and test, and only those that are missing.
# Safe to run again; works as root or through sudo. Usage: scripts/deps.sh [--bench]
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev libx11-dev portaudio19-dev libasound2-dev libasound2-plugins
    fonts-dejavu-core fonts-dejavu-extra
    libgtest-dev libgmock-dev clang libclang-rt-14-dev clang-format
    pulseaudio pulseaudio-utils xvfb xauth xdotool x11-utils imagemagick trayer dbus-daemon
    dpkg-dev appstream desktop-file-utils playerctl
)
if [[ "${1:-}" == "--bench" ]]; then
    packages+=(sox libsox-fmt-pulse gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-pulseaudio procps)
fi

missing=()
for p in "${packages[@]}"; do
    if [[ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != "installed" ]]; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Run as root or install sudo." >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
