// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "calibration/output_scale.h"

#include "sensor/Var_and_function_U.h"

#include <cmath>
#include <cstring>

namespace OutputScale {

namespace {
constexpr double kFull = 65535.0;

int floorInt(double v)
{
    return int(std::floor(v + 1e-9));
}
} // namespace

int levelMax(const QString &digitData)
{
    return digitData.trimmed() == QLatin1String("12") ? 4095 : 1023;
}

End fromCode(int c, int nmax)
{
    return {c, floorInt(c / kFull * nmax), floorInt(c / kFull * 100), frequencyFromCode(c)};
}

End fromLevel(int n, int nmax)
{
    const int c = nmax > 0 ? floorInt(double(n) / nmax * kFull) : 0;
    return {c, n, floorInt(c / kFull * 100), frequencyFromCode(c)};
}

End fromPercent(int percent, int nmax)
{
    const int c = floorInt(percent / 100.0 * kFull);
    return {c, floorInt(percent / 100.0 * nmax), percent, frequencyFromCode(c + 1)};
}

End fromFrequency(int hz, int nmax)
{
    const int c = floorInt((hz - 500) * kFull / 1000.0);
    return {c, floorInt(c / kFull * nmax), floorInt((c + 1) / kFull * 100), hz};
}

std::optional<QByteArray> wordData(int value)
{
    if (value < 0 || value > 0xFFFF)
        return std::nullopt;
    QByteArray d;
    d.append(char(quint8(value & 0xFF)));
    d.append(char(quint8(value >> 8)));
    return d;
}

QByteArray singleData(float f)
{
    if (!std::isfinite(f))
        f = 0.0f;
    quint32 bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    QByteArray d;
    for (int i = 0; i < 4; ++i)
        d.append(char(quint8(bits >> (8 * i))));
    return d;
}

QByteArray calcParamData(int probeType, int permixPosition, const std::array<float, 8> &coef)
{
    QByteArray d;
    d.append(char(quint8(probeType)));
    d += singleData(float(permixPosition) / 100.0f);
    for (float c : coef)
        d += singleData(c);
    return d;
}

std::optional<double> maskedNumber(const QString &text, const NumberFormat &nf)
{
    QString t = text;
    t.replace(QLatin1Char(' '), QLatin1Char('0'));
    return nf.parse(t);
}

QString zeroLengthText(int position, const NumberFormat &nf)
{
    return nf.format("%7.4f", position / 100.0).replace(QLatin1Char(' '), QLatin1Char('0'));
}

QString permixText(int position, const NumberFormat &nf)
{
    return nf.format("%5.2f", position / 100.0);
}

} // namespace OutputScale
