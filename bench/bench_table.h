// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One row of the benchmark table (scripts/bench.sh prints the heading): the
// figure, what was measured and the target beside it.

#include <algorithm>
#include <cstdio>
#include <vector>

/// A figure measured against an upper bound.
inline void benchRow(const char *figure, double value, const char *unit, double target)
{
    std::printf("%-50s %10.2f %-3s  < %-8g %-3s %s\n", figure, value, unit, target, unit,
                value < target ? "met" : "MISSED");
}

/// A figure without a target of its own (a reference to compare with).
inline void benchInfo(const char *figure, double value, const char *unit)
{
    std::printf("%-50s %10.2f %-3s  (reference)\n", figure, value, unit);
}

inline double benchMedian(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
