// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The inclinometer page's procedures as values: the azimuth typed or stepped
// in tenths of a degree, and the data of the azimuth write. The window's
// handlers call these and send what they return.

#include "common/numfmt.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace Inclinometer {

/// Highest up-down position: 360.0 degrees in tenths.
constexpr int MaxPosition = 3600;

/// The data bytes of SET_AZIMUTH for an up-down position: position / 10 as an
/// IEEE 754 single, least significant byte first (1800 -> 00 00 34 43).
QByteArray azimuthData(int position);
/// The up-down position for the text of the azimuth edit: blanks read as "0",
/// the decimal comma, tenths rounded down, held within 0 … 3600 ("999,9" ->
/// 3600, "  5,5" -> 55). nullopt when the text is not a number.
std::optional<int> positionFromText(const QString &text, const NumberFormat &nf);
/// The edit text for an up-down position: "%5.1f" (1800 -> "180,0", 56 -> "  5,6").
QString textFromPosition(int position, const NumberFormat &nf);
/// The message for an azimuth text that is not a number.
QString badAzimuthMessage(const QString &text, int lang);

} // namespace Inclinometer
