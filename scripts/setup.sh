#!/usr/bin/env bash
# Installs with apt-get what building and running zpltest and zplsink needs
# on Debian 12 (also for cmake --install, cpack and the benchmarks), and
# nothing when it is all there. Extra package names may be given as
# arguments: the test command adds what only the tests need.
set -euo pipefail

packages=(
    cmake g++ make           # the build
    qt6-base-dev             # Qt 6 Core, Network, Widgets, Test
    libcpp-httplib-dev       # zplsink's HTTP service
    qt6-translations-l10n    # Qt's own texts in Chinese
    fonts-wqy-microhei       # a CJK font, so that no character shows as a box
    pkg-config libqrencode-dev libzint-dev  # the renderer's QR, Data Matrix and PDF417 encoders
    fonts-open-sans fonts-dejavu-core zlib1g-dev  # the renderer's fonts 0 (and P-V) and A-H, ^GF decompression
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
