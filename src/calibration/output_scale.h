// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The output scale as values: one end of the scale in its four units
// (capacitance code C, level code N, percent, frequency) converted from any
// one of them, the data of the scale writes, and the number texts of the
// firmware-8 page's masked edits. All conversions round down.

#include "common/numfmt.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace OutputScale {

/// Nmax by the output width: 4095 for "12", else 1023.
int levelMax(const QString &digitData);

/// One end of the scale in its four units.
struct End {
    int c = 0;       ///< capacitance code 0 … 65535
    int n = 0;       ///< level code
    int percent = 0; ///< 0 … 100
    int freq = 500;  ///< Hz, 500 … 1500
};

End fromCode(int c, int nmax);
End fromLevel(int n, int nmax);
/// Percent to frequency takes (C + 1), as the frequency to percent does.
End fromPercent(int percent, int nmax);
End fromFrequency(int hz, int nmax);

/// Two bytes, low byte first (SET_FSM_OFFSET, SET_FSM_SCALE); nullopt for a
/// value outside 0 … 65535, which is never sent.
std::optional<QByteArray> wordData(int value);

/// An IEEE 754 single, least significant byte first; a NaN or infinite value
/// goes out as 0.
QByteArray singleData(float value);
/// The 37 bytes of SET_FSM_CALC_PARAM: the probe type, permix (udPermix / 100)
/// and the eight zero-length capacitances, singles low byte first. A NaN or
/// infinite value (a damaged read) goes out as 0.
QByteArray calcParamData(int probeType, int permixPosition, const std::array<float, 8> &coef);

/// A masked edit's text as a number: blanks read as "0", the decimal comma.
std::optional<double> maskedNumber(const QString &text, const NumberFormat &nf);
/// The zero-length text of udZeroLen's position: "%7.4f" with blanks as "0".
QString zeroLengthText(int position, const NumberFormat &nf);
/// The permix text of udPermix's position: "%5.2f".
QString permixText(int position, const NumberFormat &nf);

} // namespace OutputScale
