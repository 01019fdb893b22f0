// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// An hour of a calibration on the simulated clock with the line and the disk
// misbehaving: the whole program against the virtual sensor, autosave on, a Rec
// every few minutes, and random faults: silence, CRC errors, replies split and
// glued to garbage, commands refused, the protocol made read-only for a while,
// the adapter pulled and plugged back; half of the Recs fall a few seconds into
// a fault. Afterwards the protocol read back from disk holds every user point
// the window acknowledged and no other, every point in it (level steps
// included) carries a reading the sensor itself sent, a refused Rec always
// said why, the windows are in the connected, recording state, memory has not
// grown past a bound, and after Stop only the timers of an idle main window
// are left running (and nothing else on the clock).

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "support/program_harness.h"
#include "support/sent_readings.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QToolButton>

namespace {

/// Resident memory of this process in kB (VmRSS), 0 when unknown.
qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true; // freed memory waits in quarantine: RSS says nothing
#else
constexpr bool kSanitized = false;
#endif

} // namespace

class TstSoak : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anHourOfFaults()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator rng(seed);
        qInfo("seed %u", seed);

        ProgramHarness h;
        (void)h.settings.set(SettingsKeys::Save, 0);
        (void)h.settings.set(SettingsKeys::ConstSave, 5);
        h.sensor.setFuelLitres(0);
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(100);
        ui->COM1->trigger();
        h.clock.advance(1550);
        QVERIFY(h.form().port().Connected());
        const QString path = h.dir.filePath(QStringLiteral("soak.kvi"));
        auto data = std::make_unique<TDateProtokol>();
        QVERIFY(ProtocolFile(path).create(*data).ok());
        h.state().CurrentProtocolFile = path;
        TForm5 &w = h.program->form5();
        w.showForCalibration(path);
        auto button = [&w](const char *name) {
            return w.findChild<QToolButton *>(QLatin1String(name));
        };
        w.findChild<QLineEdit *>(QStringLiteral("meIncrem"))->setText(QStringLiteral("002,50"));
        w.meIncremChange();
        button("sbPlay")->click();

        // Each fault lasts a while and is then taken back.
        enum Fault { Silence, Crc, SplitGarbage, Refused, ReadOnly, Unplugged, FaultKinds };
        const char *names[] = {"silence", "CRC errors",         "split and garbage",
                               "refused", "read-only protocol", "adapter pulled"};
        int injected[FaultKinds] = {};
        auto clearFaults = [&] {
            h.sensor.faults() = SensorFaults{};
            (void)QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            if (!h.form().port().Connected()) {
                h.ports.plug();
                ui->bbDublComOpen->click(); // the installer opens the port again
            }
        };
        auto inject = [&](int kind) {
            ++injected[kind];
            switch (kind) {
            case Silence:
                h.sensor.faults().silent = true;
                break;
            case Crc:
                h.sensor.faults().badCrc = true;
                break;
            case SplitGarbage:
                h.sensor.faults().split = {1, 2, 3};
                h.sensor.faults().garbage = int(1 + rng.bounded(4));
                break;
            case Refused:
                h.sensor.faults().refused = {CommandTable.DATA_READ};
                break;
            case ReadOnly:
                (void)QFile::setPermissions(path, QFile::ReadOwner);
                break;
            case Unplugged:
                h.ports.unplug();
                break;
            }
        };

        // Acknowledged user points: index -> litres, and the time of their Rec.
        QMap<int, double> acked;
        QHash<int, qint64> recTimes;
        int refusedRecs = 0;
        qint64 rssAfterWarmUp = 0;
        const qint64 hour = 3600 * 1000;
        qint64 nextRec = 3 * 60 * 1000;
        while (h.clock.nowMs() < hour) {
            // One minute: fuel runs in for part of it, maybe with a fault.
            h.sensor.pour(rng.bounded(30) / 100.0);
            const bool fault = rng.bounded(3) == 0;
            if (fault)
                inject(int(rng.bounded(quint32(FaultKinds))));
            h.clock.advance(5000 + rng.bounded(25000));
            clearFaults();
            h.sensor.pour(0);
            h.clock.advance(30000);
            if (h.clock.nowMs() >= nextRec) {
                // Half of the Recs fall into a fault of their own, up to
                // eight seconds after it began (the watchdog gives up at 3 s).
                const bool recFault = rng.bounded(2) == 0;
                if (recFault) {
                    inject(int(rng.bounded(quint32(FaultKinds))));
                    h.clock.advance(rng.bounded(8000));
                }
                const QString litres = w.recording().literText();
                const int before = int(w.recording().markers().size());
                const qsizetype told = h.dialogs.shown().size();
                const qint64 at = h.clock.nowMs();
                button("sbRec")->click();
                if (int(w.recording().markers().size()) > before) {
                    const int index = w.recording().markers().back().index;
                    acked.insert(index, NumberFormat(QLatin1Char(',')).parse(litres).value());
                    recTimes.insert(index, at);
                } else {
                    ++refusedRecs;
                    // Only a fault refuses a Rec, and never without a word.
                    QVERIFY2(recFault, "a Rec refused with no fault on");
                    QVERIFY2(h.dialogs.shown().size() > told, "a Rec refused without a word");
                }
                h.clock.advance(3000);
                clearFaults();
                nextRec = h.clock.nowMs() + (3 + rng.bounded(3)) * 60 * 1000;
            }
            if (rssAfterWarmUp == 0 && h.clock.nowMs() > 5 * 60 * 1000)
                rssAfterWarmUp = residentKb();
        }
        h.clock.advance(5000);
        QString summary;
        for (int k = 0; k < FaultKinds; ++k)
            summary += QStringLiteral(" %1 %2,").arg(QLatin1String(names[k])).arg(injected[k]);
        qInfo("faults:%s %d points acknowledged, %d Recs refused", qPrintable(summary),
              int(acked.size()), refusedRecs);
        QVERIFY(!acked.isEmpty());

        // The protocol holds every acknowledged user point, and only those.
        auto stored = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        const ProtocolStatus st = ProtocolFile(path).open(*stored, general, points);
        QVERIFY2(st.ok(), qPrintable(st.text));
        QMap<int, double> file;
        for (const UserPoint &p : stored->UserPoints)
            file.insert(p.index, p.litres);
        QCOMPARE(file, acked);
        qInfo("%d points stored, %d of them level steps", int(points.points.size()),
              int(points.points.size() - acked.size()));

        // Connected and recording: the sensor is polled and the window plays.
        QVERIFY(h.form().port().Connected());
        QVERIFY(!ui->PageControl->isHidden() && ui->GroupBox5->isHidden());
        QCOMPARE(h.form().statusPanel(0)->text(),
                 QStringLiteral("COM port #1 successfully opened"));
        QVERIFY(h.form().timer("TimerReadData")->enabled());
        QVERIFY(w.isVisible() && w.playing());
        QCOMPARE(w.recording().markers().size(), acked.size());

        // Memory: an hour of recording adds a few thousand points, not megabytes.
        if (!kSanitized && rssAfterWarmUp > 0) {
            const qint64 grown = residentKb() - rssAfterWarmUp;
            qInfo("resident memory grew by %lld kB", grown);
            QVERIFY2(grown < 32 * 1024, qPrintable(QString::number(grown)));
        }

        // Stop: the calibration ends, the port closes, and only the main
        // window's whole-run timers are left on the clock.
        h.dialogs.answer(MsgAnswer::Yes);
        h.dialogs.answer(MsgAnswer::No);
        button("sbStop")->click();
        QVERIFY(!w.isVisible());
        // Every point on disk, level steps and the end pair included, is a
        // reading the sensor sent.
        const QStringList notSent = pointsNotSent(path, h.sensor, 0, recTimes);
        QVERIFY2(notSent.isEmpty(), qPrintable(notSent.join(QLatin1Char('\n'))));
        h.clock.advance(5000);
        QSet<Timer *> enabled;
        for (const QVector<Timer *> *list : {&h.form().timers(), &h.form().chainTimers()})
            for (Timer *t : *list)
                if (t->enabled())
                    enabled.insert(t);
        QStringList running;
        for (Timer *t : enabled)
            running << t->name();
        running.sort();
        // The zero indicator's blink runs until the next data reply inside the
        // bounds switches it off, so it may outlive the port.
        running.removeOne(QStringLiteral("TimerlbRuhProc"));
        QVERIFY2(running == QStringList({"Timer1", "TimerSystemTime"}),
                 qPrintable(running.join(' ')));
        QCOMPARE(h.clock.pending(), int(enabled.size()));
    }
};

QTEST_MAIN(TstSoak)
#include "tst_soak.moc"
