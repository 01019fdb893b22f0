// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Benchmark of the calibration window with a protocol of 10,001 points: the
// pause reload (file read, curve, markers and list rebuilt, the chart series
// replaced in one call) and one live reading appended while recording, at
// 10,000 points on the chart. Targets: reload under 200 ms; one reading
// shown in a median under 3 ms and at worst under 8 ms. Run by hand
// (scripts/bench.sh); prints rows of the benchmark table.

#include "bench_table.h"
#include "common/dialogs.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/ini_file.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPoints = 10001;

QByteArray protocolBytes()
{
    QByteArray b("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[Point]\r\nStop_Point=10000\r\n"
                 "[Protocol_Date]\r\n");
    for (int i = 0; i < kPoints; ++i) {
        const QByteArray k = QByteArray::number(i);
        b += "Time" + k + "=" + k + "\r\nFilterN" + k + "=" + QByteArray::number(i % 4096) +
             "\r\nFilterC" + k + "=31234\r\nSistem_Time" + k + "=12:34:56\r\nliter" + k +
             "=0012,50\r\nTetmo" + k + "=+23\r\nStatus_Save" + k +
             (i % 50 ? "=Auto Save\r\n" : "=User Save\r\n");
    }
    return b;
}

// One live reading shown: the window's handler and the redraw it causes
// (a function of its own so that callgrind can count it alone).
[[gnu::noinline]] void liveReading(TForm5 &w, qint32 n)
{
    w.LevelReading(n); // no autosave step: the plot alone
    QApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.kvi"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(protocolBytes()) < 0)
        return 1;
    f.close();

    ScriptedDialogs dialogs;
    TForm5 w(&dialogs, nullptr);
    w.showForCalibration(path);
    w.resize(1000, 600);
    QApplication::processEvents();

    std::vector<double> reload;
    for (int i = 0; i < 7; ++i) {
        IniFile::dropCache(); // the first opening: the file parsed again
        auto *pause = w.findChild<QToolButton *>(QStringLiteral("sbPause"));
        pause->setChecked(true);
        QElapsedTimer t;
        t.start();
        w.sbPauseClick();
        QApplication::processEvents(); // the chart redrawn
        reload.push_back(double(t.nsecsElapsed()) / 1e6);
        pause->setChecked(false);
        w.sbPauseClick();
    }
    benchRow("pause reload of 10,001 points (median)", benchMedian(reload), "ms", 200);

    // Recording on: each reading appends one point to the 10,001 on the chart.
    // The first reading after Start leaves the whole-diagram view for the
    // recording's time window, the costliest of all. Five rounds of Start and
    // fifty readings; each reading's figure is its median over the rounds, so
    // that the worst is the worst reading and not a moment another process
    // took the core.
    auto *play = w.findChild<QToolButton *>(QStringLiteral("sbPlay"));
    auto *pause = w.findChild<QToolButton *>(QStringLiteral("sbPause"));
    constexpr int kRounds = 5, kReadings = 50;
    std::vector<std::vector<double>> byReading(kReadings);
    std::vector<double> all;
    for (int round = 0; round < kRounds; ++round) {
        if (round > 0) {
            pause->setChecked(true);
            w.sbPauseClick();
        }
        w.findChild<QLineEdit *>(QStringLiteral("meIncrem"))->setText(QStringLiteral("001,00"));
        w.meIncremChange();
        play->setChecked(true);
        w.sbPlayClick();
        QApplication::processEvents();
        for (int i = 0; i < kReadings; ++i) {
            QElapsedTimer t;
            t.start();
            liveReading(w, 1000 + (i % 3));
            const double ms = double(t.nsecsElapsed()) / 1e6;
            byReading[size_t(i)].push_back(ms);
            all.push_back(ms);
        }
    }
    double worst = 0;
    for (const std::vector<double> &v : byReading)
        worst = std::max(worst, benchMedian(v));
    const std::string at = std::to_string(w.recording().curve().size());
    benchRow(("one live reading at " + at + " points, median").c_str(), benchMedian(all), "ms",
             3);
    benchRow(("one live reading at " + at + " points, worst").c_str(), worst, "ms", 8);
    return 0;
}
