#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Renders the program's icon at the sizes desktops ask for, from the one drawn
# picture data/icons/kv-ruzevuv.svg, into data/icons/hicolor/NxN/apps/. The PNGs
# are committed; run this after changing the SVG (needs rsvg-convert from the
# Debian package librsvg2-bin).
set -eu
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || {
    echo "render-icons.sh: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
    exit 1
}
for size in 16 22 24 32 48 64 128 256; do
    dir="data/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    rsvg-convert -w "$size" -h "$size" data/icons/kv-ruzevuv.svg -o "$dir/kv-ruzevuv.png"
done
echo "icons written under data/icons/hicolor/"
