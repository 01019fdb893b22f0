// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The automatic zero search as a pure step: a two-stage bisection, first over
// CAPDAC (coarse, 0..63), then over CAPOFF (fine, 0..65535), one step per data
// reply. Raising either offset lowers the capacitance code C: a code below the
// window halves the offset, a code above it makes the current offset the
// lower bound. The step reads the offsets the sensor reported last (the two
// edits), never a copy of what it sent.

#include <optional>

struct ZeroSearchState {
    int target = 10000;       ///< CalTarget
    int coarseWindow = 4000;  ///< CalCoarseWindow
    int fineWindow = 15;      ///< CalFineWindow
    int capoffStart = 65500;  ///< CalCapoffStart
    bool stage = false;       ///< CalStage: false CAPDAC, true CAPOFF
    bool dacLowFound = false; ///< CalDacLowFound
    bool offLowFound = false; ///< CalOffLowFound
    int dacHigh = 63, dacLow = 0;
    int offHigh = 65535, offLow = 0;

    /// The state a search starts from for the probe class item (6: "Пользов H").
    static ZeroSearchState forProbeClass(int cbFleshIndex);
};

/// What one data reply brings to the step.
struct ZeroSearchInput {
    int measuredC = 0;   ///< CalMeasuredC
    bool crcOk = true;   ///< the reply passed its CRC
    bool armed = false;  ///< CalStepArmed
    int capdacField = 0; ///< meCAPDAC as an integer
    int capoffField = 0; ///< meCAPOFF as an integer
    int stepCount = 0;   ///< CalStepCount
};

/// What the step decided.
struct ZeroSearchStep {
    bool ran = false; ///< the guard let it run (it then clears CalStepArmed)
    int progress = 0; ///< the progress bar position
    std::optional<int> sendCapdac;
    std::optional<int> sendCapoff;
    bool cancelInitialCapoff = false; ///< TimerDACOFF is not needed any more
    bool complete = false;
    bool attemptLimit = false; ///< more than 20 steps without completion
};

/// Attempts end after the step with CalStepCount 21.
constexpr int kZeroSearchSteps = 20;

ZeroSearchStep zeroSearchStep(ZeroSearchState &s, const ZeroSearchInput &in);
