// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/point_editing.h"

#include "common/lang_ids.h"
#include "common/numfmt.h"
#include "shell/lang_table.h"

namespace PointEditing {

namespace {
QString orDefault(const QString &v, const char *def)
{
    return v.isEmpty() ? QString::fromLatin1(def) : v;
}
} // namespace

QString deletionQuestion(const PointKeys &k, int lang)
{
    auto t = [lang](int id) { return LangText(id, lang); };
    const QChar r('\r');
    return t(Txt::DeletePoint) + r + t(Txt::DeleteLevelCode) + k.FilterN + r +
           t(Txt::DeleteLitres) + k.liter + r + t(Txt::DeleteTime) + k.Time + r +
           t(Txt::DeleteSystemTime) + k.Sistem_Time + r + t(Txt::DeleteTemperature) + k.Tetmo + r +
           t(Txt::DeleteType) + k.Status_Save + r + t(Txt::DeleteEnd);
}

QString nothingToDelete()
{
    return QStringLiteral("Нет точек для удаления.");
}

PropertyTexts propertyTexts(int index, const PointKeys &k, int lang)
{
    auto t = [lang](int id) { return LangText(id, lang); };
    const NumberFormat nf(QLatin1Char(','));
    const double litres = nf.parse(k.liter).value_or(0);
    PropertyTexts p;
    p.number = t(Txt::PropertyNumber) + QString::number(index);
    p.level = t(Txt::PropertyLevel) + orDefault(k.FilterN, "0");
    p.time = t(Txt::PropertyTime) + orDefault(k.Time, "0") + t(Txt::SecondUnit);
    p.systemTime = t(Txt::PropertySystemTime) + orDefault(k.Sistem_Time, "00:00:00");
    p.whoSave = t(Txt::PropertyType) + orDefault(k.Status_Save, "undefined") + QLatin1Char(']');
    p.volume = t(Txt::PropertyVolume) + nf.general(litres) + t(Txt::LitreUnit);
    return p;
}

QString currentFuelText(double litres, int lang)
{
    return LangText(Txt::CurrentFuel, lang) + NumberFormat(QLatin1Char(',')).general(litres) +
           LangText(Txt::ReplaceTo, lang);
}

QString correctionQuestion(double difference, int lang)
{
    return LangText(Txt::ChangeAllLater, lang) +
           NumberFormat(QLatin1Char(',')).format("%4.2f", difference) +
           LangText(Txt::LitresQuestion, lang);
}

} // namespace PointEditing
