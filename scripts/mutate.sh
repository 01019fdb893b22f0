#!/bin/sh

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Puts small faults into the computing core one at a time (a comparison turned,
# a boundary moved by one, a constant changed, && for ||, true for false, a !
# dropped), rebuilds, runs the tests and prints for each fault whether a test
# noticed it, then a summary line. Not part of CI: it takes long.
#   scripts/mutate.sh [N] [FILE...]          N faults (default 20) in FILE... (default the core)
#   scripts/mutate.sh --tests room N         only the tests that exercise the mutated file
#   scripts/mutate.sh --seed 7 N             another seeded pick (default seed 1)
#   scripts/mutate.sh --only FILE:LINE:COL:NEW   one fault again, as a run printed it
#   scripts/mutate.sh --list N               the faults it would put in, nothing run
#   scripts/mutate.sh --resume N             go on with a stopped run
#   scripts/mutate.sh --recheck              the last run's unnoticed faults once more
# It works on a copy of the tree in build-mutate/ (KV_MUTATE_DIR), built there
# as Release with shared libraries; README.md says more.
set -eu
cd "$(dirname "$0")/.."
exec python3 scripts/mutate.py "$@"
