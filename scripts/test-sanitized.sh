#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the tests a second time with AddressSanitizer and UndefinedBehaviorSanitizer
# (build folder build-asan) and runs them there; exits non-zero when any test
# fails or a sanitizer reports. Run scripts/setup.sh (or scripts/test.sh) first.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${KV_ASAN_BUILD_DIR:-build-asan}"
FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DKV_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-O1 $FLAGS" -DCMAKE_C_FLAGS="-O1 $FLAGS" \
    -DCMAKE_EXE_LINKER_FLAGS="$FLAGS" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)"
