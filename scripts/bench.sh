#!/bin/sh
# Builds and runs the benchmark programs (never part of the test suite).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR="${KV_BUILD_DIR:-build}"
"$BUILD_DIR/bench/protocol_bench" "$@"
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$BUILD_DIR/bench/recording_bench"
"$BUILD_DIR/bench/export_bench"
# Idle CPU and memory of the window program, port open and polling (60 s).
scripts/idle-cpu.sh
