// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Tanks from their dimensions, for a tank that cannot be poured or to check a
// pour against the drawing: the litres below a height for the common shapes,
// in closed form (millimetres in, litres out).

#include <QString>

namespace TankShape {

enum class Kind {
    HorizontalCylinder, ///< lying cylinder: diameter, length
    EllipticCylinder,   ///< lying elliptic cylinder: width, height, length
    Rectangular,        ///< box: width, height, length, its long edges rounded by cornerRadius
    VerticalCylinder,   ///< standing cylinder: diameter, height
};

struct Tank {
    Kind kind = Kind::Rectangular;
    double diameter = 0, width = 0, height = 0, length = 0, cornerRadius = 0; ///< mm
};

/// The shape named on the command line ("horizontal-cylinder" …); false when none is.
bool kindFromName(const QString &name, Kind &kind);

/// What is wrong with the dimensions (a missing or non-positive one, a corner
/// radius beyond half the width or height); empty when the tank is sound.
QString problem(const Tank &tank);

/// Floor to roof, mm.
double height(const Tank &tank);

/// Litres below height h mm (0 below the floor, the whole tank above the roof).
double litresBelow(const Tank &tank, double h);

} // namespace TankShape
