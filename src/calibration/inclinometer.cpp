// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "calibration/inclinometer.h"

#include "calibration/output_scale.h"

#include <algorithm>
#include <cmath>

namespace Inclinometer {

QByteArray azimuthData(int position)
{
    return OutputScale::singleData(float(std::clamp(position, 0, MaxPosition)) / 10.0f);
}

std::optional<int> positionFromText(const QString &text, const NumberFormat &nf)
{
    const std::optional<double> v = OutputScale::maskedNumber(text, nf);
    if (!v)
        return std::nullopt;
    const double tenths = std::floor(*v * 10 + 1e-9);
    return int(std::clamp(tenths, 0.0, double(MaxPosition)));
}

QString textFromPosition(int position, const NumberFormat &nf)
{
    return nf.format("%5.1f", position / 10.0);
}

QString badAzimuthMessage(const QString &text, int lang)
{
    return lang == 1 ? QStringLiteral("Неверное значение азимута: \"%1\". Введите угол от 0 до "
                                      "360 градусов, например 180,0.")
                           .arg(text)
                     : QStringLiteral("Wrong azimuth value: \"%1\". Enter an angle of 0 to 360 "
                                      "degrees, for example 180,0.")
                           .arg(text);
}

} // namespace Inclinometer
