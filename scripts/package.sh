#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package kv-ruzevuv_VERSION_ARCH.deb into the build folder
# (the programs, the help, the menu entry, the icons and the .kvi file type;
# its dependencies come from dpkg-shlibdeps). Install it with
#   sudo apt install ./build/kv-ruzevuv_*.deb
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR="${KV_BUILD_DIR:-build}"
cmake --build "$BUILD_DIR" --target kv-ruzevuv kvtool kv-sensor-sim
rm -f "$BUILD_DIR"/kv-ruzevuv_*.deb
(cd "$BUILD_DIR" && cpack -G DEB)
ls "$BUILD_DIR"/kv-ruzevuv_*.deb
