#!/bin/sh
# Builds and runs the benchmark programs (never part of the test suite).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
"${KV_BUILD_DIR:-build}/bench/protocol_bench" "$@"
