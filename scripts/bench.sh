#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds and runs the benchmark programs (never part of the test suite) and
# prints one table: each figure measured on this machine beside its target.
# CPU timing is noisy on a shared machine: the programs take medians of
# repeated runs; confirm a doubtful figure with valgrind --tool=callgrind.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
BUILD_DIR="${KV_BUILD_DIR:-build}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

# Start to the first painted main window, warm: the launch time goes in by the
# environment and the program prints how long after it its window was drawn.
# The first run only warms the page cache; the median of the next ten counts.
startup_row() {
    cfg=$(mktemp -d)
    # A user whose decimal separator is already the comma: no question at start.
    mkdir -p "$cfg/kv-ruzevuv"
    printf '[Regional]\nDecimalSeparator=","\n' >"$cfg/kv-ruzevuv/Kv_Instal_ini.ini"
    runs=""
    i=0
    while [ $i -le 10 ]; do
        t=$(XDG_CONFIG_HOME="$cfg" KV_EXIT_WHEN_SHOWN="$(date +%s%N)" \
            "$BUILD_DIR/src/app/kv-ruzevuv" 2>/dev/null |
            sed -n 's/^first window shown after \([0-9.]*\) ms$/\1/p')
        [ $i -eq 0 ] || runs="$runs $t"
        i=$((i + 1))
    done
    rm -rf "$cfg"
    median=$(printf '%s\n' $runs | sort -n | sed -n 6p)
    awk -v m="$median" 'BEGIN { printf "%-50s %10.2f %-3s  < %-8g %-3s %s\n",
        "start to first shown window, warm (median)", m, "ms", 100, "ms",
        (m != "" && m < 100) ? "met" : "MISSED" }'
}

printf '%-50s %14s  %s\n' "figure" "measured" "target"
"$BUILD_DIR/bench/protocol_bench" "$@"
"$BUILD_DIR/bench/recording_bench" 2>/dev/null
"$BUILD_DIR/bench/export_bench" 2>/dev/null
startup_row
"$BUILD_DIR/bench/hour_bench" 2>/dev/null
# Idle CPU with the port open and polling once a second (its own script).
if [ -x scripts/idle-cpu.sh ]; then
    scripts/idle-cpu.sh
else
    printf '%-50s %14s  %s\n' "idle CPU, port open, polling once a second" "-" \
        "< 0.3 %  (scripts/idle-cpu.sh not in this tree)"
fi
