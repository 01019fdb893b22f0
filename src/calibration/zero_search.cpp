// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "calibration/zero_search.h"

ZeroSearchState ZeroSearchState::forProbeClass(int cbFleshIndex)
{
    ZeroSearchState s;
    s.target = cbFleshIndex == 6 ? 1600 : 10000;
    s.coarseWindow = cbFleshIndex == 6 ? 1200 : 4000;
    return s;
}

namespace {
// Halving is a division by 2 rounded down; the bounds are never negative.
int midpoint(int low, int high)
{
    return low + (high - low) / 2;
}
} // namespace

ZeroSearchStep zeroSearchStep(ZeroSearchState &s, const ZeroSearchInput &in)
{
    ZeroSearchStep r;
    if (!in.armed || !in.crcOk)
        return r;
    r.ran = true;
    r.progress = in.stepCount;
    const int m = in.measuredC, t = s.target, w = s.coarseWindow, f = s.fineWindow;

    // CAPDAC stage.
    if (!s.stage) {
        if (m < t - w && !s.dacLowFound) {
            s.dacHigh = in.capdacField;
            r.sendCapdac = s.dacHigh / 2;
        }
        if (m > t + w) {
            s.dacLow = in.capdacField;
            r.sendCapdac = midpoint(s.dacLow, s.dacHigh);
            s.dacLowFound = true;
        }
        if (m < t - w && s.dacLowFound) {
            s.dacHigh = in.capdacField;
            r.sendCapdac = midpoint(s.dacLow, s.dacHigh);
        }
    }
    if (!s.stage && t - w < m && m < t + w) {
        // The coarse stage is done; the fine one starts from the top.
        r.cancelInitialCapoff = true;
        s.dacLowFound = false;
        s.stage = true;
        s.offLowFound = false;
        r.sendCapoff = s.capoffStart;
    } else {
        if (s.stage) {
            if (m < t - f && !s.offLowFound) {
                s.offHigh = in.capoffField;
                r.sendCapoff = s.offHigh / 2;
            } else if (m < t - f && s.offLowFound) {
                s.offHigh = in.capoffField;
                r.sendCapoff = midpoint(s.offLow, s.offHigh);
            }
            if (m > t + f) {
                s.offLow = in.capoffField;
                r.sendCapoff = midpoint(s.offLow, s.offHigh);
                s.offLowFound = true;
            }
        }
        if (t - f <= m && m <= t + f)
            r.complete = true;
    }
    if (!r.complete && in.stepCount > kZeroSearchSteps)
        r.attemptLimit = true;
    return r;
}
