#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Idle cost of the window program: kv-ruzevuv with a port open and polling once
# a second, against kv-sensor-sim on a pseudo-terminal. Prints the wake-ups per
# second of all its threads (voluntary context switches) beside the timers'
# floor, the CPU share of one core over the measuring time (ticks from
# /proc/PID/stat) and the resident memory, as rows of the benchmark table.
# Needs a built tree (scripts/bench.sh builds it).
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
# Voluntary switches of every thread of a process, one "tid count" line each:
# each is a wake-up after a sleep (a timer, bytes from the port, a posted event).
thread_switches() {
    for t in /proc/"$1"/task/*; do
        awk -v tid="${t##*/}" '/^voluntary_ctxt_switches/{print tid, $2}' "$t/status" 2>/dev/null
    done
}
sim_w0=$(switches "$sim_pid")
t0=$(ticks "$app_pid")
thread_switches "$app_pid" >"$work/threads0"
sleep "$SECONDS_MEASURED"
t1=$(ticks "$app_pid")
thread_switches "$app_pid" >"$work/threads1"
sim_w1=$(switches "$sim_pid")
rss=$(awk '/^VmRSS/{print $2}' "/proc/$app_pid/status")
hz=$(getconf CLK_TCK)
# Wake-ups of all threads: for each thread alive at the end, its switches
# since the start (or since it began); a thread that ended meanwhile counts
# with none (Qt's pooled threads of the start-up end after 30 s idle).
wakeups=$(awk 'NR == FNR { before[$1] = $2; next } { n += $2 - ($1 in before ? before[$1] : 0) }
    END { print n + 0 }' "$work/threads0" "$work/threads1")
threads=$(wc -l <"$work/threads1")

# The sensor wakes for each request it answers: its wake-ups show the polling
# went on all the while. The timers' floor with polling once a second: the
# poll, its reply, the live view's two refreshes and the clock, 5 a second.
awk -v t0="$t0" -v t1="$t1" -v w="$wakeups" -v th="$threads" -v s="$SECONDS_MEASURED" \
    -v hz="$hz" -v rss="$rss" -v sw0="$sim_w0" -v sw1="$sim_w1" 'BEGIN {
    cpu = (t1 - t0) / hz / s * 100
    floor = 5
    wps = w / s
    row = "%-48s %13s %13s %8s  %s %s\n"
    printf row, sprintf("idle wake-ups, %d threads, polling 1 s (%d s)", th, s),
        sprintf("%.2f /s", wps), sprintf("%.2f /s", floor), sprintf("%.2fx", wps / floor),
        "<= 5.5 /s", (wps <= 5.5 ? "met" : "MISSED")
    printf row, sprintf("idle CPU, port open, polling 1 s (%d s)", s), sprintf("%.2f %%", cpu),
        "-", "-", "<= 0.1 %", (cpu <= 0.1 ? "met" : "MISSED")
    printf row, "  resident memory while idle", sprintf("%.1f MB", rss / 1024), "-", "-",
        "(reference)", ""
    printf row, "  sensor wake-ups (it answers the polls)", sprintf("%.2f /s", (sw1 - sw0) / s), "-", "-",
        "(reference)", ""
}'
