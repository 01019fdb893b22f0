// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool compare PROTOCOL OTHER: two calibrations of one tank compared over
// the levels both cover (a recalibration after a repair, or a pour against
// the table kvtool tank makes from the drawing). OTHER is another protocol or
// a table as kvtool table and kvtool tank --levels write it.

#include "app/kvtool.h"

#include "common/numfmt.h"
#include "export/protocol_export.h"
#include "export/table_compare.h"
#include "tank/ini_file.h"

#include <QFile>

namespace {

const char *const CompareUsage = "compare PROTOCOL OTHER";

int usageError(QTextStream &err, const QString &problem)
{
    err << "kvtool compare: " << problem << "\nusage: kvtool " << CompareUsage << '\n';
    return kExitUsage;
}

/// The table of a file: a protocol's telematics points, or a CSV/JSON table;
/// kExitOk, or the status after telling why not on `err`.
int readEither(const QString &path, std::vector<TableCompare::Point> &out, QTextStream &err)
{
    ProtocolReader probe;
    if (const ProtocolStatus st = probe.load(path); !st.ok()) {
        err << st.text << '\n';
        return kExitIo;
    }
    if (probe.isProtocol()) {
        ExportData data;
        ProtocolStatus st = readExportData(path, ExportDocument::Telematics, data);
        if (st.ok())
            st.notes = data.notes;
        if (const int rc = protocolExit(st, err); rc != kExitOk)
            return rc;
        for (const ExportPoint *p : telematicsPoints(data))
            out.push_back({double(*p->n), *p->litres});
        if (out.size() < 2) {
            err << path << ": the protocol has fewer than two user points\n";
            return kExitFailure;
        }
        return kExitOk;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        err << "Unable to read " << path << ": " << f.errorString() << '\n';
        return kExitIo;
    }
    if (const QString problem = TableCompare::readTable(f.readAll(), out); !problem.isEmpty()) {
        err << path << ": " << problem << '\n';
        return kExitNotProtocol;
    }
    return kExitOk;
}

} // namespace

int kvtoolCompare(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QStringList files;
    for (const QString &a : args) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << "usage: kvtool " << CompareUsage << '\n';
            return kExitOk;
        }
        if (a.startsWith(QLatin1Char('-')) || files.size() == 2)
            return usageError(err, QStringLiteral("unexpected argument \"%1\"").arg(a));
        files << a;
    }
    if (files.size() != 2)
        return usageError(err, QStringLiteral("a protocol and a second calibration are needed"));
    ProtocolReader first;
    if (!first.load(files[0]).ok() || !first.isProtocol()) {
        err << files[0] << ": " << Protocol::notProtocolMessage().replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
        return kExitNotProtocol;
    }
    std::vector<TableCompare::Point> a, b;
    for (int k = 0; k < 2; ++k)
        if (const int rc = readEither(files[k], k == 0 ? a : b, err); rc != kExitOk)
            return rc;
    const TableCompare::Result r = TableCompare::compare(a, b);
    if (!r.overlap) {
        out << "no common range of levels: the first table covers " << a.front().n << ".."
            << a.back().n << ", the second " << b.front().n << ".." << b.back().n << '\n';
        return kExitFailure;
    }
    const NumberFormat nf(QLatin1Char(','));
    out << "common range of levels " << nf.general(r.from) << ".." << nf.general(r.to)
        << ": largest difference " << nf.fixed(r.largest, 2) << " l at level code "
        << nf.general(r.at) << " (" << nf.fixed(r.first, 2) << " l against "
        << nf.fixed(r.second, 2) << " l), mean difference " << nf.fixed(r.mean, 2) << " l\n";
    return kExitOk;
}
