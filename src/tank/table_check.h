// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A calibration table checked as it grows. The user points of a protocol, in
// index order, should climb steadily while the tank is filled (or fall while it
// is drained): each pour of the same volume moves the level code by a similar
// number of codes. The check finds the points that break that pattern, so the
// installer can repeat a step while the fuel is still at hand:
//   - N not rising with litres while filling (not falling while draining);
//   - two points within the duplicate window (the same level saved twice);
//   - a step whose codes per litre are far from those of its neighbours (a
//     step poured twice or missed, or a Rec before the sensor settled);
//   - a table that spans too little of the sensor's range to be complete.
// Findings are advice: nothing here refuses or changes a point.

#include "tank/protocol_file.h"

#include <QString>
#include <vector>

namespace TableCheck {

enum class Kind {
    NotRising,   ///< N did not move the way the fuel did
    Duplicate,   ///< N within the duplicate window of an earlier point
    UnevenStep,  ///< codes per litre of the step far from the median step
    LowCoverage, ///< the points span less than the expected share of the range
};

struct Finding {
    Kind kind = Kind::NotRising;
    int index = -1; ///< stored point index the finding is about; -1: the whole table
    int other = -1; ///< the earlier point it is compared with
    qint32 n = 0;
    qint32 otherN = 0;
    double value = 0;  ///< UnevenStep: codes per litre of the step; LowCoverage: share covered
    double median = 0; ///< UnevenStep: codes per litre of the median step
    bool operator==(const Finding &o) const
    {
        return kind == o.kind && index == o.index && other == o.other;
    }
};

struct Limits {
    /// Two levels closer than this are the same level (the Rec's own duplicate question).
    qint32 duplicateWindow = 5;
    /// A step's codes per litre may be this many times more, or less, than the median step's.
    double stepFactor = 1.5;
    /// The median step is taken over this many steps on either side of the step,
    /// so a tank whose cross-section changes slowly does not raise findings.
    int medianSpan = 4;
    /// Fewer steps than this give no median worth comparing with.
    int minSteps = 3;
    /// Share of the sensor's range a finished table should span.
    double minCoverage = 0.7;
    /// Top of the sensor's level range (1023, 4095 …); 0: not known, no coverage check.
    qint32 rangeTop = 0;
};

/// The findings of a table of user points (any order; checked in index
/// order): per point in index order, NotRising or Duplicate before
/// UnevenStep; LowCoverage, when asked for by a range top, last.
std::vector<Finding> check(std::vector<UserPoint> points, bool draining, const Limits &limits);

/// The smallest level range (1023, 4095, 16383, 65535) that holds every point's N.
qint32 rangeTopFor(const std::vector<UserPoint> &points);

/// One line that tells the installer what was found (lang 1 Russian, 0 English).
QString text(const Finding &f, bool draining, const Limits &limits, int lang);

} // namespace TableCheck
