// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One row of the benchmark table (scripts/bench.sh prints the heading): the
// figure, what was measured, the floor measured in the same run where there is
// one (what the machine cannot do faster: a bare read of the file, a bare
// durable rewrite of its bytes) with the ratio to it, and the target.
// Columns: figure 48, measured 13, floor 13, ratio 8, then target and verdict;
// scripts/bench.sh and scripts/idle-cpu.sh print their rows the same way.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

inline std::string benchValue(double value, const char *unit)
{
    char b[48];
    std::snprintf(b, sizeof b, "%.2f %s", value, unit);
    return b;
}

inline void benchLine(const char *figure, const std::string &measured, const std::string &floor,
                      const std::string &ratio, const std::string &target, const char *verdict)
{
    std::printf("%-48s %13s %13s %8s  %s %s\n", figure, measured.c_str(), floor.c_str(),
                ratio.c_str(), target.c_str(), verdict);
}

inline std::string benchRatio(double value, double floor)
{
    if (floor <= 0)
        return "-";
    char b[32];
    std::snprintf(b, sizeof b, "%.2fx", value / floor);
    return b;
}

/// A figure measured against an upper bound, with no floor beside it.
inline void benchRow(const char *figure, double value, const char *unit, double target)
{
    char t[48];
    std::snprintf(t, sizeof t, "< %g %s", target, unit);
    benchLine(figure, benchValue(value, unit), "-", "-", t, value < target ? "met" : "MISSED");
}

/// A figure beside its floor: met when under `target` and, when `maxRatio` is
/// given, at most that many times the floor.
inline void benchFloorRow(const char *figure, double value, double floor, const char *unit,
                          double target, double maxRatio = 0)
{
    char t[64];
    if (maxRatio > 0)
        std::snprintf(t, sizeof t, "< %g %s, <= %gx floor", target, unit, maxRatio);
    else
        std::snprintf(t, sizeof t, "< %g %s", target, unit);
    const bool met = value < target && (maxRatio <= 0 || value <= maxRatio * floor);
    benchLine(figure, benchValue(value, unit), benchValue(floor, unit), benchRatio(value, floor), t,
              met ? "met" : "MISSED");
}

/// A figure without a target of its own (a reference to compare with).
inline void benchInfo(const char *figure, double value, const char *unit)
{
    benchLine(figure, benchValue(value, unit), "-", "-", "(reference)", "");
}

inline double benchMedian(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
