#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian 12 packages the build needs (only those missing), then
# configures and builds into build/. Run as root or as a user with sudo.
#   scripts/setup.sh --packages-only [PACKAGE...]
# installs those and the PACKAGEs named (when missing) and stops there.
set -eu
cd "$(dirname "$0")/.."
packages_only=false
if [ "${1:-}" = "--packages-only" ]; then
    packages_only=true
    shift
fi

PACKAGES="build-essential cmake pkg-config qt6-base-dev qt6-serialport-dev qt6-charts-dev \
libxlsxwriter-dev zlib1g-dev libqt6opengl6-dev libgl-dev fonts-dejavu-core fonts-liberation2 \
xvfb xauth unzip poppler-utils desktop-file-utils shared-mime-info dpkg-dev file \
dbus at-spi2-core python3-pyatspi $*"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # shellcheck disable=SC2086
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
$packages_only && exit 0

BUILD_DIR="${KV_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
