// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/level_table.h"

#include "common/numfmt.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString levelTableCsv(const ExportData &data, QChar decimalSeparator)
{
    const NumberFormat nf(decimalSeparator);
    const QChar field = decimalSeparator == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
    QString out = QStringLiteral("level_code") + field + QStringLiteral("litres\n");
    for (const ExportPoint *p : telematicsPoints(data))
        out += QString::number(*p->n) + field + nf.general(*p->litres) + QLatin1Char('\n');
    return out;
}

QString levelTableJson(const ExportData &data)
{
    QJsonArray rows;
    for (const ExportPoint *p : telematicsPoints(data))
        rows.append(QJsonObject{{QStringLiteral("level_code"), *p->n},
                                {QStringLiteral("litres"), *p->litres}});
    return QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
}
