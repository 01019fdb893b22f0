// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "calibration/probe_length.h"

#include <cmath>

namespace ProbeLength {

double capacitance(int refCode, int code)
{
    return 8.192 - (refCode - code) * 0.00025;
}

Result evaluate(int refCode, int code, double cf1, double cl)
{
    Result r;
    r.cx = capacitance(refCode, code);
    if (cf1 >= r.cx) {
        r.outcome = Result::Outcome::Failed;
        return r;
    }
    if (cl == 0) {
        r.outcome = Result::Outcome::NoConstant;
        return r;
    }
    r.length = (r.cx - cf1) / cl + 11.5 + 10;
    // The length is shown and stored as "%5.0f", halves rounded away from zero.
    r.outcome = std::round(r.length) > MaxLengthMm ? Result::Outcome::TooLong
                                                   : Result::Outcome::Length;
    return r;
}

Proposal propose(double l)
{
    if (l <= 0)
        return {};
    if (l <= 185)
        return {7, true};
    if (l > 725)
        return {6, true};
    // 185 < L <= 275 is "260" (item 5) … 635 < L <= 725 is "710" (item 0).
    static const double upper[] = {725, 635, 545, 455, 365, 275};
    int item = 0;
    for (int i = 5; i >= 0; --i)
        if (l <= upper[i]) {
            item = i;
            break;
        }
    return {item, false};
}

QString noConstantMessage(int lang)
{
    return lang == 1 ? QStringLiteral("Погонная емкость зонда равна 0: длину зонда вычислить "
                                      "нельзя. Задайте её в окне \"Настройки расчета длины "
                                      "зонда\" (меню \"Опции\", \"Настройки\").")
                     : QStringLiteral("The linear probe capacitance is 0, so the probe length "
                                      "cannot be computed. Set it in the window \"Probe length "
                                      "calculation settings\" (menu Options, Settings).");
}

QString tooLongMessage(const QString &length, int lang)
{
    return lang == 1
               ? QStringLiteral("Эффективный диапазон зонда получился %1 мм, а длина больше "
                                "%2 мм не может быть верной: длина не сохранена, исполнение "
                                "зонда не изменено. Проверьте константы зонда в окне "
                                "\"Настройки расчета длины зонда\" (меню \"Опции\", "
                                "\"Настройки\").")
                     .arg(length.trimmed())
                     .arg(MaxLengthMm)
               : QStringLiteral("The effective probe length came out as %1 mm; a length above "
                                "%2 mm cannot be right, so it is not kept and the probe class "
                                "is not changed. Check the probe constants in the window "
                                "\"Probe length calculation settings\" (menu Options, "
                                "Settings).")
                     .arg(length.trimmed())
                     .arg(MaxLengthMm);
}

QString noClassMessage(int lang)
{
    return lang == 1 ? QStringLiteral("Исполнение зонда не выбрано (датчик сообщил неизвестный "
                                      "код), поэтому в датчик ничего не отправлено. Выберите "
                                      "исполнение зонда в списке.")
                     : QStringLiteral("No probe class is selected (the sensor reported an "
                                      "unknown code), so nothing was sent to the sensor. Choose "
                                      "the probe class in the list.");
}

} // namespace ProbeLength
