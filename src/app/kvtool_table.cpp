// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool table: the user points of a protocol as level code and litres, as CSV
// or JSON, for telematics systems that take a plain table rather than a .wlp
// sensor description.

#include "app/kvtool.h"

#include "export/level_table.h"
#include "tank/ini_file.h"

namespace {

const char *const TableUsage = "table PROTOCOL [--format csv|json] [--decimal-comma] "
                               "[--max-points K|--max-error LITRES] [-o FILE|-]";

int usageError(QTextStream &err, const QString &problem)
{
    err << "kvtool table: " << problem << "\nusage: kvtool " << TableUsage << '\n';
    return kExitUsage;
}

} // namespace

int kvtoolTable(const QStringList &allArgs, QTextStream &out, QTextStream &err)
{
    QStringList args = allArgs;
    ThinningOptions thinning;
    if (const QString problem = takeThinningOptions(args, thinning); !problem.isEmpty())
        return usageError(err, problem);
    QString protocol, output, format = QStringLiteral("csv");
    bool decimalComma = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << "usage: kvtool " << TableUsage << '\n';
            return kExitOk;
        }
        if (a == QLatin1String("-o") || a == QLatin1String("--format")) {
            if (i + 1 >= args.size())
                return usageError(err, a + QStringLiteral(" needs a value"));
            (a == QLatin1String("-o") ? output : format) = args[++i];
        } else if (a == QLatin1String("--decimal-comma")) {
            decimalComma = true;
        } else if (protocol.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            protocol = a;
        } else {
            return usageError(err, QStringLiteral("unexpected argument \"%1\"").arg(a));
        }
    }
    if (protocol.isEmpty())
        return usageError(err, QStringLiteral("a protocol file is needed"));
    const bool json = format == QLatin1String("json");
    if (!json && format != QLatin1String("csv"))
        return usageError(err, QStringLiteral("--format wants csv or json"));
    if (json && decimalComma)
        return usageError(err, QStringLiteral("JSON numbers always use a full stop"));

    ExportData data;
    ProtocolStatus st = readExportData(protocol, data);
    if (st.ok())
        st.notes = data.notes;
    if (const int rc = protocolExit(st, err); rc != kExitOk)
        return rc;
    thinAndTell(data, thinning, err);

    const QString text =
        json ? levelTableJson(data)
             : levelTableCsv(data, decimalComma ? QLatin1Char(',') : QLatin1Char('.'));
    if (output == QLatin1String("-")) {
        out << text;
        return kExitOk;
    }
    const QString path =
        output.isEmpty()
            ? documentPathBeside(protocol, json ? QStringLiteral(".json") : QStringLiteral(".csv"))
            : output;
    if (const QString error = writeFileDurably(path, text.toUtf8()); !error.isEmpty()) {
        err << IniFile::writeErrorText(path) << ": " << error << '\n';
        return kExitIo;
    }
    out << path << '\n';
    return kExitOk;
}
