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

struct Result {
    enum class Outcome {
        Length,     ///< `length` holds L in millimetres
        Failed,     ///< CF1 >= Cx: no probe, or a capacitance too small
        NoConstant, ///< CL is 0: the length cannot be computed
    };
    Outcome outcome = Outcome::Failed;
    double cx = 0;
    double length = 0;
};

/// L = (Cx - CF1) / CL + 11.5 + 10.
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

} // namespace ProbeLength
