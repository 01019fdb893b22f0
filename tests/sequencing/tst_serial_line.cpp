// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window on the real serial path with time simulated: a VirtualSensor is
// served on a pseudo-terminal linked as COM7 in a port folder, the program
// opens that link through the real port and reads it through the real event
// loop, while its timers and the sensor's reply delay run on one simulated
// clock. So ten seconds with a message box open take a fraction of a second,
// and the sensor's own record of what it heard is the oracle.

#include "common/dialogs.h"
#include "common/scheduler.h"
#include "link/frame.h"
#include "link/frame_link.h"
#include "link/frame_log.h"
#include "link/port_map.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "sequencing/program.h"
#include "shell/Terminal_U.h"
#include "shell/settings_store.h"
#include "sim/pty_sensor_server.h"
#include "sim/virtual_sensor.h"
#include "support/recorded_line.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/protocol_file.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include <memory>

namespace {

/// The request frames of a terminal trace, in order.
QList<QByteArray> tracedRequests(const QString &trace)
{
    QList<QByteArray> frames;
    for (const QString &line : trace.split(QLatin1Char('\n'))) {
        QStringList f = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.size() < 4 || f.takeFirst() != QLatin1String("<="))
            continue;
        QByteArray frame;
        for (const QString &hex : f)
            frame.append(char(hex.toUInt(nullptr, 16)));
        frames << frame;
    }
    return frames;
}

} // namespace

class TstSerialLine : public QObject {
    Q_OBJECT

    struct Rig {
        QTemporaryDir dir;
        QString folder;
        SimulatedScheduler clock;
        VirtualSensor sensor;
        RecordedLine line{sensor};
        PtySensorServer server;
        ScriptedDialogs dialogs;
        SettingsStore settings;
        PosixDeviceProvider ports;
        ProgramWorld world;
        FrameLog log;
        std::unique_ptr<Program> program;

        explicit Rig(const VirtualSensorOptions &options)
            : folder(dir.filePath(QStringLiteral("ports"))), sensor(&clock, options),
              server(line, clock), settings(dir.filePath(QStringLiteral("Kv_Instal_ini.ini"))),
              ports(PortMap(folder, {}))
        {
            QStandardPaths::setTestModeEnabled(true);
            (void)settings.setDecimalSeparatorOverride(QLatin1Char(','));
            world.scheduler = &clock;
            world.dialogs = &dialogs;
            world.ports = &ports;
            world.settings = &settings;
            world.fmsSearchDirs = {dir.path()};
            world.openDocument = [](const QString &) { return false; };
        }
        /// The adapter plugged in: its by-id name leads to the terminal, and
        /// COM7 to the by-id name (as the port scan links an adapter that has one).
        bool serve()
        {
            QString error;
            const QString byId = dir.filePath(QStringLiteral("by-id/usb-Sim_Sensor_Adapter-if00"));
            if (!QDir().mkpath(folder) || !QDir().mkpath(QFileInfo(byId).path()) ||
                !server.start(&error) || !QFile::link(server.slavePath(), byId))
                return false;
            const QString com = folder + QStringLiteral("/COM7");
            return QFileInfo(com).isSymLink() || QFile::link(byId, com);
        }
        /// The adapter pulled out: the terminal and its by-id name are gone.
        void unplug()
        {
            server.stop();
            QFile::remove(dir.filePath(QStringLiteral("by-id/usb-Sim_Sensor_Adapter-if00")));
        }
        TForm1 &form() { return program->form1(); }
        Ui::TForm1 *ui() { return program->form1().controls(); }

        /// Lets the bytes written to either end of the terminal reach the other.
        static void pump()
        {
            QCoreApplication::processEvents();
            QThread::usleep(200);
            QCoreApplication::processEvents();
        }
        /// Simulated time passes in 5 ms steps, the line carrying bytes between them.
        void run(int ms)
        {
            for (int t = 0; t < ms; t += 5) {
                pump();
                clock.advance(5);
            }
            pump();
        }
        /// Starts the program and opens COM7 from the menu; true once the
        /// sensor is identified and polled.
        bool connect()
        {
            program = std::make_unique<Program>(world);
            if (log.isOpen())
                program->state.link.setFrameLog(&log);
            run(200);
            ui()->cbComNum->setCurrentText(QStringLiteral("COM7"));
            ui()->COM1->trigger();
            run(2500);
            return form().port().Connected() && ui()->PageControl->isVisibleTo(&form());
        }
    };

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The port list and the frame log name the port by its device: a
    // pseudo-terminal has no USB descriptor, so it is its kernel name.
    void portNamedByItsDevice()
    {
        Rig rig({});
        QVERIFY(rig.serve());
        const QString logPath = rig.dir.filePath(QStringLiteral("frames.log"));
        QCOMPARE(rig.log.open(logPath, QStringLiteral("test")), QString());
        QVERIFY(rig.connect());
        const QString label =
            QStringLiteral("COM7 — ") + rig.server.slavePath().mid(int(qstrlen("/dev/")));
        QComboBox *list = rig.ui()->cbComNum;
        QCOMPARE(list->itemText(0), QStringLiteral("COM7"));
        QCOMPARE(list->itemData(0, Qt::ToolTipRole).toString(), label);
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(QStringLiteral("# test port %1 opened at 19200 bit/s ").arg(label)),
                 qPrintable(text));
    }

    // The adapter pulled during a calibration and plugged back: the window
    // shows the port closed and says so, then opens the same adapter again
    // at the same speed and the recording goes on without a restart. Every
    // point stored is a level the sensor sent.
    void pulledAdapterIsTakenBack()
    {
        Rig rig({});
        (void)rig.settings.set(SettingsKeys::Save, 0);
        (void)rig.settings.set(SettingsKeys::ConstSave, 5);
        rig.sensor.setFuelLitres(0);
        QVERIFY(rig.serve());
        rig.program = std::make_unique<Program>(rig.world);
        rig.run(200);
        rig.ui()->cbComNum->setCurrentText(QStringLiteral("COM7"));
        rig.ui()->cbSpeedCom->setCurrentIndex(2); // 9600 bit/s
        rig.ui()->COM1->trigger();
        rig.run(2500);
        QVERIFY(rig.ui()->PageControl->isVisibleTo(&rig.form()));

        const QString path = rig.dir.filePath(QStringLiteral("tank.kvi"));
        auto data = std::make_unique<TDateProtokol>();
        QVERIFY(ProtocolFile(path).create(*data).ok());
        rig.program->state.CurrentProtocolFile = path;
        TForm5 *w = &rig.program->form5();
        w->showForCalibration(path);
        auto button = [&](const char *name) { return w->findChild<QToolButton *>(name); };
        auto *increment = w->findChild<QLineEdit *>(QStringLiteral("meIncrem"));
        increment->setFocus();
        increment->home(false);
        QTest::keyClicks(increment, QStringLiteral("01000"));
        button("sbPlay")->click();
        QVERIFY(w->playing());
        rig.sensor.pour(1.0);
        rig.run(8000);
        rig.sensor.pour(0);
        rig.run(3000);
        button("sbRec")->click();
        QVERIFY2(w->playing(), qPrintable(rig.dialogs.messages().join('|')));

        rig.unplug();
        rig.run(500);
        TForm1 &form = rig.form();
        QVERIFY(!form.port().Connected());
        QCOMPARE(form.statusPanel(0)->text(),
                 QStringLiteral("Adapter COM7 disconnected; waiting for it to be plugged in again"));
        QVERIFY(!form.sInd()->isVisibleTo(&form));
        QVERIFY(!rig.ui()->Animate->isVisibleTo(&form));
        QVERIFY(rig.ui()->COM1->isEnabled() && !rig.ui()->COM2->isEnabled());
        QVERIFY(rig.ui()->bbDublComOpen->isEnabled() && !rig.ui()->bbDublComClose->isEnabled());
        rig.run(5000);
        QVERIFY(!form.port().Connected());
        QVERIFY(w->playing()); // the recording waits, it is not stopped

        // Plugged back (another pseudo-terminal, the same by-id name).
        rig.sensor.clearRequests();
        QVERIFY(rig.serve());
        rig.run(3000);
        QVERIFY(form.port().Connected());
        QCOMPARE(form.statusPanel(0)->text(), QStringLiteral("COM port #7 successfully opened"));
        QCOMPARE(rig.ui()->cbSpeedCom->currentText(), QStringLiteral("9600"));
        QVERIFY(!rig.sensor.requests().isEmpty());
        QCOMPARE(quint8(rig.sensor.requests().first().at(2)), CommandTable.READ_PARAM);
        QVERIFY(rig.ui()->PageControl->isVisibleTo(&form));

        // The recording goes on: fuel poured after the replug is recorded.
        rig.sensor.pour(1.0);
        rig.run(8000);
        rig.sensor.pour(0);
        rig.run(3000);
        button("sbRec")->click();
        PointsRead stored;
        QVERIFY(ProtocolFile(path).readPoints(stored).ok());
        // The user points are levels the sensor sent, and so is every point
        // stored once the adapter was back.
        const QSet<int> sent = rig.line.levelsSent();
        int users = 0;
        for (const StoredPoint &p : stored.points) {
            if (p.isUserSave()) {
                QVERIFY2(sent.contains(p.FilterN), qPrintable(QString::number(p.FilterN)));
                ++users;
            }
        }
        for (auto p = stored.points.rbegin(); p != stored.points.rend() && p->FilterN != 0; ++p)
            QVERIFY2(sent.contains(p->FilterN), qPrintable(QString::number(p->FilterN)));
        QCOMPARE(users, 2);
        QCOMPARE(stored.points.back().FilterN,
                 rig.sensor.levelCodeFor(rig.sensor.capacitanceCode()));
    }

    // A write-result message left open for 10 s while the tilt reading runs:
    // every request the timers make meanwhile goes on the wire when it is made
    // and shows in the terminal then (the sensor heard exactly what was
    // traced), and none is left over to go out when the message closes.
    void messageHoldsNothingOnTheLine()
    {
        VirtualSensorOptions o;
        o.model = 178;
        o.firmware = 0x83;
        Rig rig(o);
        QVERIFY(rig.serve());
        QVERIFY(rig.connect());
        rig.form().show();
        QTabWidget *pc = rig.ui()->PageControl;
        pc->setTabVisible(pc->indexOf(rig.ui()->TabSheet7), true);
        pc->setCurrentWidget(rig.ui()->TabSheet7);
        rig.ui()->Button9->click();
        rig.run(600);
        QVERIFY(rig.sensor.requests().last().at(2) == char(CommandTable.GET_INCLINOMETER_DATA));

        int heardBefore = 0;
        int tracedBefore = 0;
        QList<QByteArray> heardInMessage;
        QList<QByteArray> tracedInMessage;
        int heldAtClose = -1;
        rig.dialogs.onMessage([&](const ScriptedDialogs::Shown &) {
            heardBefore = int(rig.sensor.requests().size());
            tracedBefore = int(tracedRequests(rig.program->terminal().traceText()).size());
            rig.run(10000);
            heardInMessage = rig.sensor.requests().mid(heardBefore);
            tracedInMessage =
                tracedRequests(rig.program->terminal().traceText()).mid(tracedBefore);
            heldAtClose = rig.program->state.link.heldRequests();
        });
        rig.ui()->Button8->click(); // write the azimuth: the reply opens the message
        rig.run(100);
        QCOMPARE(rig.dialogs.messages(), QStringList{"Data recording is completed successfully "});
        rig.dialogs.onMessage({});

        // Tilt requests until the watchdog gave the sensor up after 3 s, then
        // the search once a second: each on the wire when it was made.
        QVERIFY2(heardInMessage.size() >= 15, qPrintable(QString::number(heardInMessage.size())));
        QCOMPARE(heardInMessage, tracedInMessage);
        QVERIFY(heardInMessage.count(buildRequest(o.address, CommandTable.GET_INCLINOMETER_DATA)) >= 5);
        QVERIFY(heardInMessage.count(buildRequest(BroadcastAddress, CommandTable.READ_PARAM)) >=
                5);
        QCOMPARE(heldAtClose, 0);
        // Nothing made while the message was open follows it out: the requests
        // after it are the search's and what the identity sets going.
        const int heardAtClose = heardBefore + int(heardInMessage.size());
        QVERIFY(int(rig.sensor.requests().size()) <= heardAtClose);

        // The replies that piled up meanwhile are old news; the search finds
        // the sensor again.
        rig.run(3000);
        QVERIFY(rig.ui()->PageControl->isVisibleTo(&rig.form()));
        QVERIFY(rig.sensor.requests().size() > heardAtClose);
    }
};

QTEST_MAIN(TstSerialLine)
#include "tst_serial_line.moc"
