// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool tank SHAPE [dimensions]: the calibration table of a tank from its
// drawing, heights every --step mm from the floor to the roof (both included)
// with the litres below each; with --levels N0:N1 the heights become the
// level codes of a probe that reads N0 at the floor and N1 at the roof, a
// table a tracker takes (the same columns as kvtool table writes).

#include "app/kvtool.h"

#include "common/numfmt.h"
#include "tank/ini_file.h"
#include "tank/tank_shape.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <optional>

namespace {

const char *const TankUsage =
    "tank horizontal-cylinder --diameter MM --length MM | elliptic-cylinder --width MM --height "
    "MM --length MM | rectangular --width MM --height MM --length MM [--corner-radius MM] | "
    "vertical-cylinder --diameter MM --height MM [--step MM] [--levels N0:N1] [--format "
    "csv|json] [-o FILE|-]";

int usageError(QTextStream &err, const QString &problem)
{
    err << "kvtool tank: " << problem << "\nusage: kvtool " << TankUsage << '\n';
    return kExitUsage;
}

std::optional<double> millimetres(const QString &text)
{
    bool ok = false;
    const double v = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

} // namespace

int kvtoolTank(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty())
        return usageError(err, QStringLiteral("a shape is needed"));
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        out << "usage: kvtool " << TankUsage << '\n';
        return kExitOk;
    }
    TankShape::Tank tank;
    if (!TankShape::kindFromName(args[0], tank.kind))
        return usageError(err, QStringLiteral("unknown shape \"%1\"").arg(args[0]));
    double step = 10;
    std::optional<std::pair<qint64, qint64>> levels;
    QString format = QStringLiteral("csv"), output = QStringLiteral("-");
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (i + 1 >= args.size())
            return usageError(err, QStringLiteral("unexpected argument \"%1\"").arg(a));
        const QString v = args[++i];
        double *dimension = a == QLatin1String("--diameter")        ? &tank.diameter
                            : a == QLatin1String("--width")         ? &tank.width
                            : a == QLatin1String("--height")        ? &tank.height
                            : a == QLatin1String("--length")        ? &tank.length
                            : a == QLatin1String("--corner-radius") ? &tank.cornerRadius
                            : a == QLatin1String("--step")          ? &step
                                                                    : nullptr;
        if (dimension) {
            const std::optional<double> mm = millimetres(v);
            if (!mm)
                return usageError(err, a + QStringLiteral(" wants millimetres"));
            *dimension = *mm;
        } else if (a == QLatin1String("--levels")) {
            const QStringList ends = v.split(QLatin1Char(':'));
            bool ok0 = false, ok1 = false;
            const qint64 n0 = ends.value(0).toLongLong(&ok0), n1 = ends.value(1).toLongLong(&ok1);
            if (ends.size() != 2 || !ok0 || !ok1 || n0 < 0 || n1 < 0 || n0 > 65535 ||
                n1 > 65535 || n0 == n1)
                return usageError(err, QStringLiteral("--levels wants two different level "
                                                      "codes 0..65535 as N0:N1"));
            levels = std::make_pair(n0, n1);
        } else if (a == QLatin1String("--format")) {
            format = v;
        } else if (a == QLatin1String("-o")) {
            output = v;
        } else {
            return usageError(err, QStringLiteral("unexpected argument \"%1\"").arg(a));
        }
    }
    if (const QString problem = TankShape::problem(tank); !problem.isEmpty())
        return usageError(err, problem);
    const bool json = format == QLatin1String("json");
    if (!json && format != QLatin1String("csv"))
        return usageError(err, QStringLiteral("--format wants csv or json"));
    const double top = TankShape::height(tank);
    if (!(step > 0) || top / step > 100000)
        return usageError(err, QStringLiteral("--step wants millimetres above 0 (at most "
                                              "100000 rows)"));

    // Heights from the floor every step, the roof included.
    std::vector<double> heights;
    for (qint64 k = 0; double(k) * step < top; ++k)
        heights.push_back(double(k) * step);
    heights.push_back(top);
    const QString key = levels ? QStringLiteral("level_code") : QStringLiteral("height_mm");
    const NumberFormat nf(QLatin1Char('.'));
    QString text = json ? QString() : key + QStringLiteral(",litres\n");
    QJsonArray rows;
    for (double h : heights) {
        const double litres = std::round(TankShape::litresBelow(tank, h) * 1000) / 1000;
        QJsonObject row;
        QString first;
        if (levels) {
            const qint64 n = std::llround(double(levels->first) +
                                          double(levels->second - levels->first) * h / top);
            row.insert(key, n);
            first = QString::number(n);
        } else {
            row.insert(key, h);
            first = nf.general(h);
        }
        row.insert(QStringLiteral("litres"), litres);
        rows.append(row);
        text += first + QLatin1Char(',') + nf.general(litres) + QLatin1Char('\n');
    }
    if (json)
        text = QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
    if (output == QLatin1String("-")) {
        out << text;
        return kExitOk;
    }
    if (const QString error = writeFileDurably(output, text.toUtf8()); !error.isEmpty()) {
        err << IniFile::writeErrorText(output) << ": " << error << '\n';
        return kExitIo;
    }
    out << output << '\n';
    return kExitOk;
}
