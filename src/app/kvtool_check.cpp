// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool check PROTOCOL: the calibration table's findings (levels that do not
// climb with the fuel, levels saved twice, uneven steps, a short table), one
// line each; exit status 1 when there is any.

#include "app/kvtool.h"

#include "tank/protocol_file.h"
#include "tank/table_check.h"

#include <memory>
#include <optional>

namespace {

const char *const CheckUsage = "check PROTOCOL [--filling|--draining] [--range-top N]";

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
    if (const int rc = protocolExit(st, err); rc != kExitOk)
        return rc;

    const std::vector<UserPoint> &points = data->UserPoints;
    // The protocol does not say which way the tank went: the litres do.
    if (!draining)
        draining = points.size() >= 2 && points.back().litres < points.front().litres;
    if (limits.rangeTop == 0)
        limits.rangeTop = TableCheck::rangeTopFor(points);

    const auto findings = TableCheck::check(points, *draining, limits);
    out << points.size() << " user points, " << (*draining ? "draining" : "filling")
        << ", range 0.." << limits.rangeTop << ": ";
    if (findings.empty()) {
        out << "no findings\n";
        return kExitOk;
    }
    out << findings.size() << (findings.size() == 1 ? " finding\n" : " findings\n");
    for (const TableCheck::Finding &f : findings)
        out << TableCheck::text(f, *draining, limits, 0) << '\n';
    return kExitFailure;
}
