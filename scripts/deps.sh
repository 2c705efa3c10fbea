#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Does nothing when they are all present. Usage: scripts/deps.sh [run|test]
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev librtmidi-dev libcli11-dev
    fonts-dejavu-core
)
if [ "${1:-run}" = test ]; then
    packages+=(
        libgtest-dev libgmock-dev libbenchmark-dev
        clang libclang-rt-14-dev
        jackd2 dbus dbus-bin
        desktop-file-utils appstream groff-base
        xvfb xauth xdotool
        poppler-utils python3
    )
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "These packages are missing and I am neither root nor able to use sudo: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
