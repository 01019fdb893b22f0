// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Volume in the tank from the sensor's level code, through the user-saved points
// of the open calibration protocol, and the full scale the level gauge uses.

#include "tank/protocol_file.h"

#include <QString>
#include <optional>
#include <vector>

namespace Litres {

/// Litres for level code n, interpolated linearly between the two neighbouring
/// user-saved points (in index order) whose codes enclose n; the last point's
/// litres at exactly its code; nullopt otherwise (no points, n below the first
/// or beyond the last point).
///
/// Only user points count: the indices between them (auto-saved level steps)
/// carry no litres. A code equal to a point's code uses the segment that starts
/// at that point, so of two points with the same code the later one's litres
/// win. A falling table (a draining calibration) is read the same way. The
/// result is always a finite number.
std::optional<double> atCode(const std::vector<UserPoint> &points, qint32 n);

/// Full scale of the level code: with a protocol loaded the largest user-saved
/// code; without one the range of the sensor's bit width ("10" -> 1023, "12" ->
/// 4095, "14" -> 16383, "16" -> 65535). 0 when it is not known.
qint32 fullScale(bool protocolLoaded, const std::vector<UserPoint> &points,
                 const QString &digitData);

} // namespace Litres
