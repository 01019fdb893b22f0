// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Probe length detection as values: the probe capacitance measured against the
// sensor's stored reference point, the effective length from the two probe
// constants, and the probe class that length proposes.

#include <QString>

namespace ProbeLength {

/// Cx = 8.192 - (RefZL_C - C) * 0.00025 pF.
double capacitance(int refCode, int code);

/// The longest length the field of the calibration page holds (four digits).
constexpr int MaxLengthMm = 9999;

struct Result {
    enum class Outcome {
        Length,     ///< `length` holds L in millimetres
        Failed,     ///< CF1 >= Cx: no probe, or a capacitance too small
        NoConstant, ///< CL is 0: the length cannot be computed
        TooLong,    ///< `length` holds an L above MaxLengthMm (constants far off)
    };
    Outcome outcome = Outcome::Failed;
    double cx = 0;
    double length = 0;
};

/// L = (Cx - CF1) / CL + 11.5 + 10; a length that rounds to more than
/// MaxLengthMm millimetres is TooLong.
Result evaluate(int refCode, int code, double cf1, double cl);

/// The class a length proposes: the item of cbFlesh, and whether it is one of
/// the two user classes (set at once) or a standard one (asked first).
struct Proposal {
    int item = -1; ///< -1: none (L = 0)
    bool userClass = false;
};
/// 0 < L <= 185 "Пользов L" (7); L > 725 "Пользов H" (6); the standard
/// classes by their bounds, the upper one included (275 -> "260").
Proposal propose(double length);

/// The message of a detection refused for CL = 0, naming the window where
/// the constants are set.
QString noConstantMessage(int lang);
/// The message of a length refused as TooLong ("%5.0f" text of the length),
/// naming the window where the constants are set.
QString tooLongMessage(const QString &length, int lang);
/// The message shown where a probe class would go to the sensor but none is
/// selected (the sensor reported a range code the list does not have).
QString noClassMessage(int lang);

} // namespace ProbeLength
