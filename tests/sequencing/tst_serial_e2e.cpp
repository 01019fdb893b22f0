// The window over the real serial path: kv-sensor-sim serves a sensor on a
// pseudo-terminal linked as COM7 in a port folder; the program, started with
// "--port COM7 --connect" on the real event-loop clock, opens it after the
// start-up check and its search request reaches the sensor, whose reply
// comes back through the real port.

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
#include <QProcess>
#include <QStandardPaths>
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
            // The 22-byte identity reply arrives through the pseudo-terminal.
            QTRY_VERIFY_WITH_TIMEOUT(program.terminal().traceText().contains("=> 3E"), 3000);
            QVERIFY(dialogs.shown().isEmpty());
            form.close();
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
    }
};

QTEST_MAIN(TstSerialE2e)
#include "tst_serial_e2e.moc"
