#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package kv-ruzevuv_VERSION_ARCH.deb into build/ (the
# programs, the help, the manual pages, the menu entry, the icons, the .kvi file
# type, the software-centre metadata and the shell completion; its dependencies
# come from dpkg-shlibdeps), then checks it: lintian, pedantic, must find no
# error and no warning, and appstreamcli must accept the metadata.
#
# The programs are built apart from the tests, in build-deb/ (or
# $KV_PACKAGE_BUILD_DIR), with the flags Debian builds its own packages with
# (dpkg-buildflags with hardening=+all: fortified functions, stack protector,
# PIE, read-only relocations bound at start). KV_MAINTAINER=NAME\ <MAIL> sets
# the package's maintainer. Install it with
#   sudo apt install ./build/kv-ruzevuv_*.deb
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh --packages-only lintian appstream

PACKAGE_DIR="${KV_PACKAGE_BUILD_DIR:-build-deb}"
OUT_DIR="${KV_BUILD_DIR:-build}"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS="$(dpkg-buildflags --get CPPFLAGS)"
CFLAGS="$(dpkg-buildflags --get CFLAGS) $CPPFLAGS"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
set -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DKV_BENCHMARKS=OFF \
    "-DCMAKE_C_FLAGS=$CFLAGS" "-DCMAKE_CXX_FLAGS=$CXXFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS"
[ -z "${KV_MAINTAINER:-}" ] || set -- "$@" "-DKV_MAINTAINER=$KV_MAINTAINER"
cmake -S . -B "$PACKAGE_DIR" "$@" >/dev/null
cmake --build "$PACKAGE_DIR" -j"$(nproc)" --target kv-ruzevuv kvtool kv-sensor-sim kv-docs
rm -f "$PACKAGE_DIR"/kv-ruzevuv_*.deb
(cd "$PACKAGE_DIR" && cpack -G DEB)

mkdir -p "$OUT_DIR"
rm -f "$OUT_DIR"/kv-ruzevuv_*.deb
cp "$PACKAGE_DIR"/kv-ruzevuv_*.deb "$OUT_DIR"/
appstreamcli validate --no-net "$PACKAGE_DIR"/data/*.metainfo.xml
lintian -EvIL +pedantic --fail-on error,warning "$OUT_DIR"/kv-ruzevuv_*.deb
ls "$OUT_DIR"/kv-ruzevuv_*.deb
