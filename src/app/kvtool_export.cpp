// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool xlsx / report / wlp: the documents of a calibration protocol, made by
// the same code as the main window's menu items. Without -o each goes beside
// the protocol under its base name, a number added rather than overwriting.

#include "app/kvtool.h"

#include "export/protocol_export.h"
#include "export/report_writer.h"
#include "export/spreadsheet_writer.h"
#include "shell/settings_store.h"
#include "tank/ini_file.h"

#include <QFileInfo>

namespace {

struct Args {
    QString protocol;
    QString output;
    QStringList flags;
    QString prefix, suffix;
    bool hasPrefix = false, hasSuffix = false;
};

// PROTOCOL [flags] [-o FILE] [--prefix TEXT] [--suffix TEXT]; false on a usage error.
bool parse(const QStringList &args, const QStringList &known, bool texts, Args &a, QTextStream &err,
           const char *usage)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &s = args[i];
        const bool needsValue =
            s == QLatin1String("-o") ||
            (texts && (s == QLatin1String("--prefix") || s == QLatin1String("--suffix")));
        if (needsValue) {
            if (i + 1 >= args.size()) {
                err << "kvtool: " << s << " needs a value\n"
                    << "usage: kvtool " << usage << '\n';
                return false;
            }
            const QString v = args[++i];
            if (s == QLatin1String("-o"))
                a.output = v;
            else if (s == QLatin1String("--prefix"))
                a.prefix = v, a.hasPrefix = true;
            else
                a.suffix = v, a.hasSuffix = true;
        } else if (known.contains(s)) {
            a.flags << s;
        } else if (!s.startsWith(QLatin1Char('-')) && a.protocol.isEmpty()) {
            a.protocol = s;
        } else {
            err << "kvtool: unexpected argument \"" << s << "\"\nusage: kvtool " << usage << '\n';
            return false;
        }
    }
    if (a.protocol.isEmpty()) {
        err << "usage: kvtool " << usage << '\n';
        return false;
    }
    return true;
}

int readProtocol(const QString &path, ExportDocument document, ExportData &data,
                 QTextStream &err)
{
    ProtocolStatus st = readExportData(path, document, data);
    if (st.ok())
        st.notes = data.notes;
    return protocolExit(st, err);
}

int written(const QString &error, const QString &path, QTextStream &out, QTextStream &err)
{
    if (!error.isEmpty()) {
        err << error << '\n';
        return kExitIo;
    }
    out << path << '\n';
    return kExitOk;
}

// The user points a document left out, and why.
void leftOut(const ExportData &data, QTextStream &err)
{
    if (const QString note = leftOutNote(unconvertibleUserPoints(data), 0); !note.isEmpty())
        err << "note: " << note << '\n';
}

} // namespace

int kvtoolXlsx(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const char *usage = "xlsx PROTOCOL [--autosave-points] [-o FILE]";
    Args a;
    if (!parse(args, {QStringLiteral("--autosave-points")}, false, a, err, usage))
        return kExitUsage;
    ExportData data;
    if (const int rc = readProtocol(a.protocol, ExportDocument::Workbook, data, err);
        rc != kExitOk)
        return rc;
    const SettingsStore settings;
    // No sensor is connected: the scale labels follow the protocol's firmware.
    SheetDefaults d;
    d.connectedMajor = data.integer("Version_H");
    const SheetContent content =
        spreadsheetContent(data, a.flags.contains(QStringLiteral("--autosave-points")), d,
                           settings.get(SettingsKeys::vallatguage));
    const QString path =
        a.output.isEmpty() ? documentPathBeside(a.protocol, QStringLiteral(".xlsx")) : a.output;
    return written(writeXlsx(content, path), path, out, err);
}

int kvtoolReport(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const char *usage = "report PROTOCOL [-o FILE.odt|FILE.pdf]";
    Args a;
    if (!parse(args, {}, false, a, err, usage))
        return kExitUsage;
    if (!a.output.isEmpty()) {
        const QString ext = QFileInfo(a.output).suffix().toLower();
        if (ext != QLatin1String("odt") && ext != QLatin1String("pdf")) {
            err << "kvtool: the report is written as .odt or .pdf\nusage: kvtool " << usage << '\n';
            return kExitUsage;
        }
    }
    ExportData data;
    if (const int rc = readProtocol(a.protocol, ExportDocument::Report, data, err); rc != kExitOk)
        return rc;
    const QString path =
        a.output.isEmpty() ? documentPathBeside(a.protocol, QStringLiteral(".odt")) : a.output;
    const int rc = written(writeReport(reportContent(data), path), path, out, err);
    if (rc == kExitOk)
        leftOut(data, err);
    return rc;
}

int kvtoolWlp(const QStringList &allArgs, QTextStream &out, QTextStream &err)
{
    const char *usage = "wlp PROTOCOL [--integer-levels] [--prefix TEXT] [--suffix TEXT] "
                        "[--max-points K|--max-error LITRES] [-o FILE]";
    QStringList args = allArgs;
    ThinningOptions thinning;
    if (const QString problem = takeThinningOptions(args, thinning); !problem.isEmpty()) {
        err << "kvtool: " << problem << "\nusage: kvtool " << usage << '\n';
        return kExitUsage;
    }
    Args a;
    if (!parse(args, {QStringLiteral("--integer-levels")}, true, a, err, usage))
        return kExitUsage;
    ExportData data;
    if (const int rc = readProtocol(a.protocol, ExportDocument::Telematics, data, err);
        rc != kExitOk)
        return rc;
    thinAndTell(data, thinning, err);
    const SettingsStore settings;
    const QString prefix = a.hasPrefix ? a.prefix : settings.get(SettingsKeys::PrefixStr);
    const QString suffix = a.hasSuffix ? a.suffix : settings.get(SettingsKeys::SufixStr);
    // The level format stored with the settings window's check box, as the
    // menu item uses it; --integer-levels asks for integers whatever it holds.
    const bool integerLevels = a.flags.contains(QStringLiteral("--integer-levels")) ||
                               settings.get(SettingsKeys::TARNETcb);
    const QString text = wlpContent(data, prefix, suffix, integerLevels);
    const QString path =
        a.output.isEmpty() ? documentPathBeside(a.protocol, QStringLiteral(".wlp")) : a.output;
    const QString error = writeFileDurably(path, wlpBytes(text));
    const int rc = written(
        error.isEmpty() ? error : IniFile::writeErrorText(path) + ": " + error, path, out, err);
    if (rc == kExitOk)
        leftOut(data, err);
    return rc;
}
