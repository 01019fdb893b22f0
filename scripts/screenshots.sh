#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Takes the README's pictures: the window program in demo mode (its built-in
# virtual sensor) under a virtual X display, every wizard page that is shown and
# the calibration window of a small sample protocol, into docs/screenshots/.
# Needs a built tree (scripts/run.sh or scripts/setup.sh builds it) and xvfb-run.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${KV_BUILD_DIR:-build}"
OUT=docs/screenshots
[ -x "$BUILD_DIR/src/app/kv-ruzevuv" ] || scripts/setup.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/ports" "$work/config/kv-ruzevuv" "$work/shots"
# A user with the comma as decimal separator, English interface, normal view.
printf '[Regional]\nDecimalSeparator=","\n[LengRef]\nvallatguage=0\n' \
    >"$work/config/kv-ruzevuv/Kv_Instal_ini.ini"

# A 200-litre tank poured in 5-litre steps: a point saved by the installer every
# 20 litres, the level steps between saved automatically.
awk 'BEGIN {
    printf "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n"
    printf "[User_Option]\r\n"
    printf "CompanyName=#0068#0101#0109#0111#0032#0084#0114#0097#0110#0115#0112#0111#0114#0116\r\n"
    printf "NamberMashine=#0065#0049#0050#0051#0066#0067\r\n"
    printf "NameUser=#0073#0110#0115#0116#0097#0108#0108#0101#0114\r\n"
    printf "UpDown2=200\r\nUpDown3=600\r\nLengthProbe=530\r\nSN=123456\r\n"
    printf "[Point]\r\nStop_Point=40\r\n[Protocol_Date]\r\n"
    for (i = 0; i <= 40; i++) {
        litres = i * 5
        n = int(150 + 3800 * (litres / 200) ^ 0.92 + 0.5)
        t = i * 45
        printf "Time%d=%d\r\nFilterN%d=%d\r\nFilterC%d=%d\r\n", i, t, i, n, i, 30000 + 2 * n
        printf "Sistem_Time%d=10:%02d:%02d\r\nliter%d=%04d,00\r\n", i, int(t / 60), t % 60, i, litres
        printf "Tetmo%d=+21\r\nStatus_Save%d=%s\r\n", i, i, (i % 4 ? "Auto Save" : "User Save")
    }
}' >"$work/tank.kvi"

KV_PORT_DIR="$work/ports" XDG_CONFIG_HOME="$work/config" KV_GRAB_DIR="$work/shots" \
    KV_GRAB_AFTER_MS=4000 \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$BUILD_DIR/src/app/kv-ruzevuv" --demo --connect "$work/tank.kvi"

ls "$work/shots"/*.png >/dev/null 2>&1 || { echo "screenshots.sh: no pictures taken" >&2; exit 1; }
mkdir -p "$OUT"
rm -f "$OUT"/*.png
cp "$work/shots"/*.png "$OUT"/
ls "$OUT"
