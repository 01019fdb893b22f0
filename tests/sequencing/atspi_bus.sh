#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs atspi_create_protocol.py on a virtual X display with a private D-Bus
# session, where the accessibility bus is started on demand.
# Usage: atspi_bus.sh PROGRAM. Exit status 77 (skipped) only where no bus can start.
set -u
program="$1"
here="$(cd "$(dirname "$0")" && pwd)"
python=/usr/bin/python3
[ -x "$python" ] || python=python3

for tool in xvfb-run dbus-run-session; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool is not installed (scripts/setup.sh installs it)"
        exit 1
    fi
done
if ! dbus-run-session -- true >/dev/null 2>&1; then
    echo "SKIP: no D-Bus session bus can start here"
    exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- "$python" "$here/atspi_create_protocol.py" "$program"
