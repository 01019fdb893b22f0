// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A calibration table checked as it grows. The user points of a protocol, in
// index order, should climb steadily while the tank is filled (or fall while it
// is drained). The litres per level code of a step are the tank's
// cross-section at that height, which changes smoothly with the level (a lying
// cylinder is narrow at its floor and roof, wide in the middle). The check
// finds the points that break that pattern, so the installer can repeat a step
// while the fuel is still at hand:
//   - N not rising with litres while filling (not falling while draining);
//   - two points within the duplicate window (the same level saved twice, or a
//     pour forgotten);
//   - a step whose litres per code are far from the trend the steps around it
//     make (a local straight-line fit over the level): a step poured twice or
//     missed, or a Rec before the sensor settled;
//   - a table that ends well below the sensor range's top or starts well above
//     its bottom (litres beyond it cannot be told).
// Faults call for a repeat. Warnings do not: the first and the last step have
// neighbours on one side only, and there a sump or a rounded floor or roof
// breaks the trend as a slip does; a table short of the range is not a slip.
// Findings are advice: nothing here refuses or changes a point.

#include "tank/protocol_file.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class ProtocolReader;

namespace TableCheck {

enum class Kind {
    NotRising,     ///< N did not move the way the fuel did
    Duplicate,     ///< N within the duplicate window of an earlier point
    UnevenStep,    ///< codes per litre of the step far from the trend of its neighbours
    ShortOfTop,    ///< the highest level lies well below the range's top
    ShortOfBottom, ///< the lowest level lies well above the range's bottom
};

enum class Severity {
    Fault,   ///< a slip: the step should be repeated
    Warning, ///< worth a word, not a repeat
};

struct Finding {
    Kind kind = Kind::NotRising;
    Severity severity = Severity::Fault;
    int index = -1; ///< stored point index the finding is about; -1: the whole table
    int other = -1; ///< the earlier point it is compared with
    qint32 n = 0;   ///< the point's level code; ShortOf*: the table's highest or lowest
    qint32 otherN = 0;
    double value = 0;    ///< UnevenStep: codes per litre of the step; ShortOf*: share of the range left out
    double expected = 0; ///< UnevenStep: codes per litre the neighbours' trend gives there
    bool firstStep = false; ///< UnevenStep: the step from the table's first point
    bool fault() const { return severity == Severity::Fault; }
    bool operator==(const Finding &o) const
    {
        return kind == o.kind && severity == o.severity && index == o.index && other == o.other;
    }
};

struct Limits {
    /// Two levels closer than this are the same level (the Rec's own duplicate question).
    qint32 duplicateWindow = 5;
    /// A step's litres per code may be this many times more, or less, than the
    /// trend of its neighbours gives at its level.
    double stepFactor = 1.5;
    /// The same for a step whose neighbours lie on one side only (the first
    /// and last steps), where the trend is drawn on beyond them.
    double endStepFactor = 1.7;
    /// The trend is fitted over up to this many steps on either side of the step.
    int trendSpan = 4;
    /// Fewer neighbouring steps than this give no trend worth comparing with.
    int minSteps = 3;
    /// The table may stop this share of the range short of either end unremarked.
    double endMargin = 0.1;
    /// The sensor's level range for the end warnings; rangeTop 0: not known, no such warning.
    qint32 rangeBottom = 0;
    qint32 rangeTop = 0;
};

/// The findings of a table of user points (any order; checked in index
/// order): per point in index order, NotRising or Duplicate before
/// UnevenStep; the range warnings, when a range is given, last.
std::vector<Finding> check(std::vector<UserPoint> points, bool draining, const Limits &limits);

/// Whether any finding calls for a repeat.
bool anyFault(const std::vector<Finding> &findings);

/// The smallest level range (1023, 4095, 16383, 65535) that holds every
/// point's N: the guess for a protocol that stores no sensor settings.
qint32 rangeTopFor(const std::vector<UserPoint> &points);

/// The level range a sensor with these settings gives: 0..Nmax of its
/// resolution in full-scale mode (the output scaled to the tank's empty and
/// full capacitance); without it, the level codes of the scale's capacitance
/// ends when they make a range, else 0..Nmax.
struct Range {
    qint32 bottom = 0;
    qint32 top = 0;
};
Range rangeForSettings(int resolutionBits, bool fullScaleMode, qint32 scaleStartC,
                       qint32 scaleEndC);

/// The range from the sensor settings a protocol stores ("DigitData",
/// "ModeFSM" and the scale ends of its firmware), each [User_Option] integer
/// as `stored` gives it (none when absent); none when it stores no resolution.
std::optional<Range> storedRange(
    const std::function<std::optional<qint32>(const QByteArray &key)> &stored);
std::optional<Range> storedRange(const ProtocolReader &protocol);

/// One line that tells the installer what was found (lang 1 Russian, 0 English).
QString text(const Finding &f, bool draining, const Limits &limits, int lang);

} // namespace TableCheck
