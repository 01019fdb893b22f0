// Benchmark of the calibration window with a protocol of 10,001 points: the
// pause reload (file read, curve, markers and list rebuilt, the chart series
// replaced in one call) and one live reading appended while recording, at
// 10,000 points on the chart. Targets: reload under 200 ms, one append under
// 16 ms. Run by hand (scripts/bench.sh); prints the figures.

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

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    std::printf("pause reload of %d points: median %.1f ms (target < 200 ms)\n", kPoints,
                median(reload));

    // Recording on: each reading appends one point to the 10,001 on the chart.
    w.findChild<QLineEdit *>(QStringLiteral("meIncrem"))->setText(QStringLiteral("001,00"));
    w.meIncremChange();
    w.findChild<QToolButton *>(QStringLiteral("sbPlay"))->setChecked(true);
    w.sbPlayClick();
    std::vector<double> append;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        w.LevelReading(1000 + (i % 3)); // no autosave step: the plot alone
        QApplication::processEvents();
        append.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("one live reading at %d chart points: median %.2f ms, worst %.2f ms "
                "(target < 16 ms)\n",
                int(w.recording().curve().size()), median(append),
                *std::max_element(append.begin(), append.end()));
    return 0;
}
