// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Benchmark of a long recording: the whole program on the simulated clock with
// a virtual sensor, the calibration window recording for an hour (a reading a
// second, the tank filling, a user point a minute, level steps autosaved),
// and the resident memory before and after. Run by hand (scripts/bench.sh);
// prints rows of the benchmark table.

#include "bench_table.h"
#include "support/program_harness.h"
#include "tank/Diagram_Tarirovca_U.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <cstdio>

namespace {

double residentMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    ProgramHarness h;
    (void)h.settings.set(SettingsKeys::Save, 0); // autosave on
    (void)h.settings.set(SettingsKeys::ConstSave, 5);
    h.sensor.setFuelLitres(0);
    h.start();
    h.clock.advance(100);
    h.form().findChild<QAction *>(QStringLiteral("COM1"))->trigger();
    h.clock.advance(1550);
    if (!h.form().port().Connected()) {
        std::fprintf(stderr, "the virtual sensor did not connect\n");
        return 1;
    }
    const QString path = h.dir.filePath(QStringLiteral("hour.kvi"));
    auto data = std::make_unique<TDateProtokol>();
    if (!ProtocolFile(path).create(*data).ok())
        return 1;
    h.state().CurrentProtocolFile = path;
    TForm5 &w = h.program->form5();
    w.showForCalibration(path);
    w.resize(1000, 600);
    QApplication::processEvents();

    auto *step = w.findChild<QLineEdit *>(QStringLiteral("meIncrem"));
    step->setFocus();
    step->home(false);
    QTest::keyClicks(step, QStringLiteral("00100")); // 001,00 litres a point
    w.findChild<QToolButton *>(QStringLiteral("sbPlay"))->click();
    QApplication::processEvents();
    const double before = residentMb();

    // An hour: the tank fills to nine tenths, a reading a second, shown as it comes.
    h.sensor.pour(h.sensor.physics().tankLitres * 0.9 / 3600);
    auto *rec = w.findChild<QToolButton *>(QStringLiteral("sbRec"));
    for (int s = 1; s <= 3600; ++s) {
        h.clock.advance(1000);
        if (s % 60 == 0)
            rec->click();
        QApplication::processEvents();
    }
    const double after = residentMb();
    PointsRead points;
    (void)ProtocolFile(path).readPoints(points);
    std::fprintf(stderr, "hour recorded: %zu points stored, %d on the chart\n",
                 points.points.size(), int(w.recording().curve().size()));

    benchRow("memory after a simulated hour of recording", after, "MB", 100);
    benchInfo("  growth during the hour", after - before, "MB");
    return 0;
}
