// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool check PROTOCOL: the calibration table's findings (levels that do not
// climb with the fuel, levels saved twice, uneven steps) and warnings (a step
// at the table's end off the trend, a table short of the sensor's range), one
// line each; exit status 1 when a finding calls for a repeat, 2 when the file
// cannot be read.

#include "app/kvtool.h"

#include "tank/protocol_file.h"
#include "tank/table_check.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

const char *const CheckUsage = "check PROTOCOL [--filling|--draining] [--range-top N]";
/// Any protocol that cannot be read (missing, not a protocol, damaged).
constexpr int kExitUnreadable = 2;

int usageError(QTextStream &err, const QString &problem)
{
    err << "kvtool check: " << problem << "\nusage: kvtool " << CheckUsage << '\n';
    return kExitUsage;
}

} // namespace

int kvtoolCheck(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString file;
    std::optional<bool> draining;
    TableCheck::Limits limits;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << "usage: kvtool " << CheckUsage << '\n';
            return kExitOk;
        }
        if (a == QLatin1String("--filling") || a == QLatin1String("--draining")) {
            draining = a == QLatin1String("--draining");
        } else if (a == QLatin1String("--range-top")) {
            bool ok = false;
            const int top = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
            if (!ok || top < 1 || top > 65535)
                return usageError(err, QStringLiteral("--range-top wants a level code 1..65535"));
            limits.rangeTop = top;
        } else if (file.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            file = a;
        } else {
            return usageError(err, QStringLiteral("unexpected argument \"%1\"").arg(a));
        }
    }
    if (file.isEmpty())
        return usageError(err, QStringLiteral("a protocol file is needed"));

    auto data = std::make_unique<TDateProtokol>();
    GeneralData general;
    PointsRead read;
    const ProtocolStatus st = ProtocolFile(file, 0).open(*data, general, read);
    if (protocolExit(st, err) != kExitOk)
        return kExitUnreadable;

    const std::vector<UserPoint> &points = data->UserPoints;
    // The protocol does not say which way the tank went: the litres do.
    if (!draining)
        draining = points.size() >= 2 && points.back().litres < points.front().litres;
    // The range: as given, else the sensor settings the protocol stores, else
    // a guess from the highest level.
    QString rangeNote;
    if (limits.rangeTop == 0) {
        ProtocolReader reader;
        std::optional<TableCheck::Range> stored;
        if (reader.load(file).ok())
            stored = TableCheck::storedRange(reader);
        if (stored) {
            limits.rangeBottom = stored->bottom;
            limits.rangeTop = stored->top;
        } else {
            limits.rangeTop = TableCheck::rangeTopFor(points);
            rangeNote = QStringLiteral(" (guessed from the highest level)");
        }
    }

    const auto findings = TableCheck::check(points, *draining, limits);
    const auto faults = std::count_if(findings.begin(), findings.end(),
                                      [](const TableCheck::Finding &f) { return f.fault(); });
    const auto warnings = qsizetype(findings.size()) - faults;
    out << points.size() << " user points, " << (*draining ? "draining" : "filling")
        << ", range " << limits.rangeBottom << ".." << limits.rangeTop << rangeNote << ": ";
    if (faults == 0)
        out << "no findings";
    else
        out << faults << (faults == 1 ? " finding" : " findings");
    if (warnings > 0)
        out << ", " << warnings << (warnings == 1 ? " warning" : " warnings");
    out << '\n';
    for (const TableCheck::Finding &f : findings)
        out << (f.fault() ? "" : "warning: ") << TableCheck::text(f, *draining, limits, 0) << '\n';
    return faults > 0 ? kExitFailure : kExitOk;
}
