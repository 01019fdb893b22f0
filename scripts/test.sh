#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds everything and runs the whole test suite offscreen; exits non-zero when
# any test fails.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
cd "${KV_BUILD_DIR:-build}"
ctest --output-on-failure -j"$(nproc)"
