// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// --max-points K and --max-error LITRES of kvtool table and kvtool wlp: the
// telematics table thinned to what a tracker takes, and the largest litre
// difference that costs, told on standard error.

#include "app/kvtool.h"

#include "common/numfmt.h"
#include "export/protocol_export.h"
#include "export/table_thinning.h"

#include <cmath>

QString takeThinningOptions(QStringList &args, ThinningOptions &o)
{
    for (int i = 0; i < args.size();) {
        const QString a = args[i];
        if (a != QLatin1String("--max-points") && a != QLatin1String("--max-error")) {
            ++i;
            continue;
        }
        if (i + 1 >= args.size())
            return a + QStringLiteral(" needs a value");
        const QString v = args[i + 1];
        args.remove(i, 2);
        bool ok = false;
        if (a == QLatin1String("--max-points")) {
            const int k = v.toInt(&ok);
            if (!ok || k < 2)
                return QStringLiteral("--max-points wants a whole number of 2 or more");
            o.maxPoints = k;
        } else {
            const double l = QString(v).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
            if (!ok || !std::isfinite(l) || l < 0)
                return QStringLiteral("--max-error wants litres of 0 or more");
            o.maxError = l;
        }
    }
    if (o.maxPoints && o.maxError)
        return QStringLiteral("--max-points and --max-error do not go together");
    return QString();
}

void thinAndTell(ExportData &data, const ThinningOptions &o, QTextStream &err)
{
    if (!o.maxPoints && !o.maxError)
        return;
    const TableThinning::Summary s = TableThinning::thinTelematics(data, o.maxPoints, o.maxError);
    if (s.tooMany) {
        err << "note: the table has " << s.of << " points, more than "
            << TableThinning::kMostPoints << " are not thinned\n";
        return;
    }
    const NumberFormat nf(QLatin1Char(','));
    err << "kept " << s.kept << " of " << s.of << " points; largest difference "
        << nf.fixed(s.largest, 2) << " l";
    if (s.top > 0)
        err << " (" << nf.fixed(s.largest / s.top * 100, 2) << " % of the table's top, "
            << nf.general(s.top) << " l)";
    err << '\n';
}
