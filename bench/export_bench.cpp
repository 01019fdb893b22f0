// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Benchmark of the documents of a 10,001-point protocol: reading it for the
// exports, the workbook written with libxlsxwriter, and the report written as
// .odt and as .pdf. Target: each document under 0.5 s. A recording's protocol
// holds mostly autosaved steps and a user point every few hundred; a second
// protocol with a user point every tenth index (1,001 report rows, 25 pages)
// shows the worst case, its PDF under 0.3 s. Each figure is the median of
// five runs. Run by hand (scripts/bench.sh); prints rows of the benchmark
// table.

#include "bench_table.h"

#include "export/protocol_export.h"
#include "export/report_writer.h"
#include "export/spreadsheet_writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    auto makeProtocol = [&](const QString &name, int userEvery) {
        const QString path = dir.filePath(name);
        QByteArray b("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\n"
                     "CompanyName=#1041#1072#1082\r\nUpDown2=400\r\n[Point]\r\n"
                     "Stop_Point=10000\r\n[Protocol_Date]\r\n");
        for (int i = 0; i <= 10000; ++i) {
            const QByteArray k = QByteArray::number(i);
            b += "Time" + k + "=" + k + "\r\nFilterN" + k + "=" + QByteArray::number(i % 4096) +
                 "\r\nFilterC" + k + "=31234\r\nSistem_Time" + k + "=12:34:56\r\nliter" + k +
                 "=0012,50\r\nTetmo" + k + "=+23\r\nStatus_Save" + k +
                 (i % userEvery ? "=Auto Save\r\n" : "=User Save\r\n");
        }
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size())
            return QString();
        return path;
    };
    const QString path = makeProtocol(QStringLiteral("big.kvi"), 200);
    const QString dense = makeProtocol(QStringLiteral("dense.kvi"), 10);
    if (path.isEmpty() || dense.isEmpty())
        return 1;

    auto time = [](const char *what, double targetMs, auto &&fn) {
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            if (!fn()) {
                std::printf("%-50s FAILED\n", what);
                return;
            }
            runs.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        if (targetMs > 0)
            benchRow(what, benchMedian(runs), "ms", targetMs);
        else
            benchInfo(what, benchMedian(runs), "ms");
    };
    ExportData data;
    time("  read a protocol of 51 user points", 0, [&] { return readExportData(path, data).ok(); });
    time("workbook, all 10,001 points", 500, [&] {
        const SheetContent c = spreadsheetContent(data, true, {}, 0);
        return writeXlsx(c, dir.filePath(QStringLiteral("all.xlsx"))).isEmpty();
    });
    time("workbook, the 51 user points", 500, [&] {
        const SheetContent c = spreadsheetContent(data, false, {}, 0);
        return writeXlsx(c, dir.filePath(QStringLiteral("user.xlsx"))).isEmpty();
    });
    time("report .odt, 51 rows", 500, [&] {
        return writeReport(reportContent(data), dir.filePath(QStringLiteral("r.odt"))).isEmpty();
    });
    time("report .pdf, 51 rows", 500, [&] {
        return writeReport(reportContent(data), dir.filePath(QStringLiteral("r.pdf"))).isEmpty();
    });
    ExportData many;
    time("  read a protocol of 1,001 user points", 0,
         [&] { return readExportData(dense, many).ok(); });
    time("worst case: report .odt, 1,001 rows", 500, [&] {
        return writeReport(reportContent(many), dir.filePath(QStringLiteral("m.odt"))).isEmpty();
    });
    time("worst case: report .pdf, 1,001 rows", 300, [&] {
        return writeReport(reportContent(many), dir.filePath(QStringLiteral("m.pdf"))).isEmpty();
    });
    time("  the same, the table's lines drawn by Qt", 0, [&] {
        return writeReport(reportContent(many), dir.filePath(QStringLiteral("q.pdf")), PdfGrid::Qt)
            .isEmpty();
    });
    return 0;
}
