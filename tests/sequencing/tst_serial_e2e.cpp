// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window over the real serial path: kv-sensor-sim serves a sensor on a
// pseudo-terminal linked as COM7 in a port folder; the program, started with
// "--port COM7 --connect" on the real event-loop clock, opens it after the
// start-up check; its search request reaches the sensor, the reply comes
// back through the real port, and the identity read-back and polling follow.

#include "common/dialogs.h"
#include "common/scheduler.h"
#include "link/frame.h"
#include "link/frame_link.h"
#include "link/port_map.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "sequencing/program.h"
#include "shell/Terminal_U.h"
#include "shell/settings_store.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class TstSerialE2e : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchOverAPseudoTerminal()
    {
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir dir;
        const QString folder = dir.filePath("ports");
        QVERIFY(QDir().mkpath(folder));
        const QString link = folder + "/COM7";

        QProcess sim;
        sim.start(QStringLiteral(KV_SENSOR_SIM), {"--link", link});
        QVERIFY(sim.waitForStarted(5000));
        QVERIFY(sim.waitForReadyRead(5000)); // first line: the device served
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(link), 5000);

        QtScheduler clock;
        ScriptedDialogs dialogs;
        SettingsStore settings(dir.filePath("Kv_Instal_ini.ini"));
        (void)settings.setDecimalSeparatorOverride(QLatin1Char(','));
        PosixDeviceProvider ports{PortMap(folder, {})};
        ProgramWorld world;
        world.scheduler = &clock;
        world.dialogs = &dialogs;
        world.ports = &ports;
        world.settings = &settings;
        world.arguments = {"--port", "COM7", "--connect"};
        world.fmsSearchDirs = {dir.path()};
        world.openDocument = [](const QString &) { return false; };
        {
            Program program(world);
            TForm1 &form = program.form1();
            QTRY_VERIFY_WITH_TIMEOUT(form.port().Connected(), 3000);
            QCOMPARE(form.statusPanel(0)->text(),
                     QStringLiteral("COM port #7 successfully opened"));

            const QString request =
                requestTraceText(buildRequest(BroadcastAddress, CommandTable.READ_PARAM)).trimmed();
            QTRY_VERIFY_WITH_TIMEOUT(program.terminal().traceText().contains(request), 3000);
            // The 22-byte identity reply arrives through the pseudo-terminal, the
            // identity read-back chain follows and polling starts.
            const QString poll =
                requestTraceText(buildRequest(1, CommandTable.DATA_READ)).trimmed();
            QTRY_VERIFY_WITH_TIMEOUT(program.terminal().traceText().contains(poll), 5000);
            QList<quint8> sent; // command bytes of the requests, polls left out
            for (const QString &line : program.terminal().traceText().split('\n')) {
                const QStringList f = line.trimmed().split(' ', Qt::SkipEmptyParts);
                if (f.size() >= 4 && f[0] == QLatin1String("<=")) {
                    const quint8 c = quint8(f[3].toUInt(nullptr, 16));
                    if (c != CommandTable.DATA_READ)
                        sent << c;
                }
            }
            const QList<quint8> chain{CommandTable.READ_PARAM, CommandTable.READ_SOND_LEN,
                                      CommandTable.GET_EXT_PARAM, CommandTable.GET_FSM_CALC_PARAM,
                                      CommandTable.GET_AXIS_K};
            QCOMPARE(sent.mid(0, chain.size()), chain);
            QCOMPARE(form.findChild<QLineEdit *>("meSN")->text(), QStringLiteral("123456"));
            QVERIFY(dialogs.shown().isEmpty());

            // The general-parameters page writes its settings through the real
            // port; the chain ends with the result message.
            auto *pc = form.findChild<QTabWidget *>(QStringLiteral("PageControl"));
            QWidget *general = pc->findChild<QWidget *>(QStringLiteral("TabSheet1"));
            pc->setTabVisible(pc->indexOf(general), true);
            pc->setCurrentWidget(general);
            form.timer(QStringLiteral("TimerReadData"))->stop(); // as the identity does here
            QTest::qWait(300);
            form.findChild<QPushButton *>(QStringLiteral("bbNewAdres"))->click();
            QTRY_COMPARE_WITH_TIMEOUT(
                dialogs.messages(), QStringList{"Data recording is completed successfully "}, 5000);
            form.close();
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
    }
};

QTEST_MAIN(TstSerialE2e)
#include "tst_serial_e2e.moc"
