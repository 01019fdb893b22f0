#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Idle cost of the window program: kv-ruzevuv with a port open and polling once
# a second, against kv-sensor-sim on a pseudo-terminal. Prints the CPU share of
# one core over the measuring time (ticks from /proc/PID/stat), the wake-ups per
# second (voluntary context switches) and the resident memory, each beside its
# target. Needs a built tree (scripts/bench.sh builds it).
#   KV_IDLE_SECONDS  measuring time (60)
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${KV_BUILD_DIR:-build}"
SECONDS_MEASURED="${KV_IDLE_SECONDS:-60}"
SETTLE=5

work=$(mktemp -d)
sim_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

mkdir -p "$work/ports" "$work/config/kv-ruzevuv"
# A fresh user whose decimal separator is already the comma the tool needs.
printf '[Regional]\nDecimalSeparator=","\n' >"$work/config/kv-ruzevuv/Kv_Instal_ini.ini"

"$BUILD_DIR/src/app/kv-sensor-sim" --link "$work/ports/COM1" >"$work/sim.out" 2>&1 &
sim_pid=$!
i=0
while [ ! -e "$work/ports/COM1" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
[ -e "$work/ports/COM1" ] || { echo "idle-cpu: kv-sensor-sim did not start" >&2; exit 1; }

KV_PORT_DIR="$work/ports" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen \
    "$BUILD_DIR/src/app/kv-ruzevuv" --port COM1 --connect >"$work/app.out" 2>&1 &
app_pid=$!
sleep "$SETTLE"
kill -0 "$app_pid" 2>/dev/null || { echo "idle-cpu: kv-ruzevuv ended:" >&2; cat "$work/app.out" >&2; exit 1; }

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() { awk '/^voluntary_ctxt_switches/{print $2}' "/proc/$1/status"; }
sim_w0=$(switches "$sim_pid")
t0=$(ticks "$app_pid")
w0=$(switches "$app_pid")
sleep "$SECONDS_MEASURED"
t1=$(ticks "$app_pid")
w1=$(switches "$app_pid")
sim_w1=$(switches "$sim_pid")
rss=$(awk '/^VmRSS/{print $2}' "/proc/$app_pid/status")
hz=$(getconf CLK_TCK)

# The sensor wakes for each request it answers: its wake-ups show the polling
# went on all the while.
awk -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" -v s="$SECONDS_MEASURED" -v hz="$hz" \
    -v rss="$rss" -v sw0="$sim_w0" -v sw1="$sim_w1" 'BEGIN {
    cpu = (t1 - t0) / hz / s * 100
    printf "idle, port open, polling 1 s (%d s): CPU %.2f %% of a core (target <= 0.3 %%) %s\n", s, cpu, (cpu <= 0.3 ? "ok" : "OVER")
    printf "  program wake-ups %.1f /s; resident memory %.1f MB; sensor wake-ups %.1f /s\n", (w1 - w0) / s, rss / 1024, (sw1 - sw0) / s
}'
