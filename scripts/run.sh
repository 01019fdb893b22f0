#!/bin/sh
# Builds the tool and starts it. Until the main window lands this serves the
# virtual sensor on a pseudo-terminal and prints the device it serves.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR="${KV_BUILD_DIR:-build}"
exec "$BUILD_DIR/src/app/kv-sensor-sim" "$@"
