#!/usr/bin/env bash
# Installs the Debian packages Murmex needs, and only those that are missing. Safe to run again; works as root
# or through sudo.
#
#   scripts/deps.sh run      what building and running Murmex need (scripts/run.sh)
#   scripts/deps.sh test     that, and what the tests add (scripts/test.sh)
#   scripts/deps.sh bench    that, and what the benchmarks compare Murmex with
#   scripts/deps.sh --list run|test|bench   prints the packages of that set, one per line, and installs nothing
#
# The run set never holds a sound server, a display server or a test tool: on a user's desktop the sound is
# the desktop's own (PipeWire or PulseAudio), and installing a second one beside it would make them compete
# for the user's sound socket at the next login.
set -euo pipefail

run_packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev libx11-dev portaudio19-dev libpulse-dev libasound2-dev libasound2-plugins
    fonts-dejavu-core fonts-dejavu-extra
)
# The test environment's own sound servers (PulseAudio, and PipeWire with pipewire-pulse for the tests that ask for
# it; pw-cli comes with pipewire), display and tray host, the tools that drive and read them, the compilers of the
# sanitizer and fuzz builds, the package checks, and the accessibility bus with a screen reader's client library.
test_packages=(
    libgtest-dev libgmock-dev clang libclang-rt-14-dev clang-format
    pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber
    xvfb xauth xdotool x11-utils imagemagick trayer dbus-daemon
    dpkg-dev appstream desktop-file-utils groff-base playerctl at-spi2-core python3-pyatspi
)
bench_packages=(sox libsox-fmt-pulse gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-pulseaudio procps)

list=0
if [[ "${1:-}" == --list ]]; then
    list=1
    shift
fi
case "${1:-}" in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
bench) packages=("${run_packages[@]}" "${test_packages[@]}" "${bench_packages[@]}") ;;
*)
    echo "usage: $0 [--list] run|test|bench" >&2
    exit 2
    ;;
esac
if ((list)); then
    printf '%s\n' "${packages[@]}"
    exit 0
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
