#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the tool and starts its window in demo mode: a built-in virtual sensor
# is the first port, so F9 (or "Open") connects at once. Extra arguments are
# passed on (e.g. --demo-model 2, --port COM3 --connect).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR="${KV_BUILD_DIR:-build}"
exec "$BUILD_DIR/src/app/kv-ruzevuv" --demo "$@"
