#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the libFuzzer targets (fuzz/) with clang in build-fuzz and runs each
# for SECONDS (default 60) on a copy of its seed corpus (fuzz/corpus/<target>),
# then prints each target's execution count. Exits non-zero on the first crash,
# leak or sanitizer report; the reproducer is left in build-fuzz/artifacts.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Installs clang and the fuzzer runtime when they are missing (Debian 12).
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
[ $# -gt 0 ] && shift
TARGETS="${*:-fuzz_reply_assembler fuzz_reply_decoders fuzz_protocol_reader fuzz_settings_store fuzz_export_reader fuzz_table_check}"

missing=""
for p in clang libclang-rt-14-dev; do
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

BUILD_DIR="${KV_FUZZ_BUILD_DIR:-build-fuzz}"
FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DKV_FUZZ=ON -DBUILD_TESTING=OFF \
    -DKV_BENCHMARKS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_C_FLAGS="$FLAGS" >/dev/null
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j"$(nproc)" --target $TARGETS

# A smaller quarantine and shorter allocation stacks than ASan's defaults: with
# those an hour's run grows by more than a gigabyte of ASan bookkeeping (freed
# blocks held back, a stored stack per allocation path) towards -rss_limit_mb,
# and runs at about half the speed.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:quarantine_size_mb=64:malloc_context_size=8"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_LOGGING_RULES="*.debug=false;*.warning=false"
mkdir -p "$BUILD_DIR/artifacts"
summary=""
for t in $TARGETS; do
    corpus="$BUILD_DIR/corpus/$t"
    mkdir -p "$corpus"
    log="$BUILD_DIR/$t.log"
    echo "== $t: $SECONDS_EACH s"
    if ! "$BUILD_DIR/fuzz/$t" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
            -max_len=65536 -timeout=30 -rss_limit_mb=2048 \
            -artifact_prefix="$BUILD_DIR/artifacts/$t-" "$corpus" "fuzz/corpus/$t" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "FAIL: $t (reproducer in $BUILD_DIR/artifacts)"
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    summary="$summary$t: $runs executions in $SECONDS_EACH s
"
done
printf '%s' "$summary"
