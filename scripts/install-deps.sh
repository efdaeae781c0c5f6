#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev \
    libgtest-dev libgmock-dev libbenchmark-dev \
    qt6-base-dev qt6-svg-dev libgl-dev poppler-utils \
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n \
    libwayland-dev wayland-protocols sway \
    libx11-dev libx11-data libxtst-dev libxkbcommon-dev xvfb xauth x11-utils x11-xkb-utils xkb-data xdotool openbox xclip \
    xterm \
    libcli11-dev libpcre2-dev cmark-gfm desktop-file-utils appstream dbus-daemon \
    lua5.4 python3 zsh fish \
    debhelper dpkg-dev lintian devscripts >/dev/null
