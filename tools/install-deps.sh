#!/usr/bin/env bash
# Installs every Debian package that building and testing Keyweave needs.
# Idempotent: does nothing when all of them are present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev
    googletest
    mingw-w64 g++-mingw-w64-x86-64
    wine wine64
    libx11-dev libxtst-dev libxi-dev libgtk-3-dev
    libwayland-dev libwayland-bin libxkbcommon-dev xkb-data
    sway wtype python3-gi gir1.2-gtk-3.0 xdg-desktop-portal python3-dbusmock
    xvfb xauth x11-utils x11-xkb-utils x11-xserver-utils xdotool imagemagick dbus-daemon dbus-bin
    at-spi2-core
    zip dpkg-dev lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then
        sudo="sudo"
    else
        echo "error: installing packages needs root; run as root or install sudo" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
