// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Port selection and the search for the sensor: which ports the scan lists,
// which port and speed an open uses, what the status bar says, the timing of
// the search, the watchdog's link-loss state and a pulled adapter. The tests
// that need the identity reply dispatched are in tst_search_connected.

#include "link/port_map.h"
#include "link/posix_serial.h"
#include "link/pty.h"
#include "sensor/decode.h"
#include "shell/Terminal_U.h"
#include "shell/settings_store.h"
#include "support/program_harness.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstring>
#include <sys/file.h>

namespace {

/// How many times the terminal traced a request frame.
int timesSent(ProgramHarness &h, quint8 address, quint8 command)
{
    const QString line = requestTraceText(buildRequest(address, command)).trimmed();
    return int(h.program->terminal().traceText().count(line));
}

bool shown(QWidget *w)
{
    return !w->isHidden();
}

/// A device the user may not open: what PosixSerialDevice reports for EACCES
/// (a test run as root never sees EACCES from the real device).
class DeniedDevice final : public SerialDevice {
public:
    bool open(const LineSettings &, OpenError *error) override
    {
        error->kind = openErrorKind(EACCES);
        error->device = QStringLiteral("/dev/ttyUSB0");
        error->text = QString::fromLocal8Bit(std::strerror(EACCES));
        return false;
    }
    void close() override {}
    bool isOpen() const override { return false; }
    QString path() const override { return QStringLiteral("/dev/ttyUSB0"); }
    qint64 bytesWaiting() override { return 0; }
    QByteArray read(qint64) override { return {}; }
    bool write(const QByteArray &) override { return false; }
    std::optional<quint32> modemState() override { return std::nullopt; }
    void setCallbacks(std::function<void()>, std::function<void()>) override {}
    void setNotifyEnabled(bool) override {}
};

class DeniedProvider final : public DeviceProvider {
public:
    std::unique_ptr<SerialDevice> deviceFor(int) override
    {
        return std::make_unique<DeniedDevice>();
    }
    QList<int> portNumbers() const override { return {1}; }
};

} // namespace

class TstPortSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchTiming()
    {
        ProgramHarness h;
        h.sensor.faults().silent = true;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(100); // the start-up check has passed
        ui->COM1->trigger();
        QVERIFY(h.form().port().Connected());
        QCOMPARE(h.form().statusPanel(0)->text(),
                 QStringLiteral("COM port #1 successfully opened"));
        QVERIFY(!ui->COM1->isEnabled() && ui->COM2->isEnabled());
        QVERIFY(!ui->cbComNum->isEnabled() && !ui->bbDublComOpen->isEnabled());
        QVERIFY(shown(ui->PageControl) && !shown(ui->GroupBox5) && !shown(ui->Image));
        QVERIFY(shown(h.form().sInd()));

        h.clock.advance(199);
        QCOMPARE(timesSent(h, BroadcastAddress, CommandTable.READ_PARAM), 0);
        h.clock.advance(1);
        QCOMPARE(timesSent(h, BroadcastAddress, CommandTable.READ_PARAM), 1);
        h.clock.advance(999);
        QCOMPARE(timesSent(h, BroadcastAddress, CommandTable.READ_PARAM), 1);
        h.clock.advance(1);
        QCOMPARE(timesSent(h, BroadcastAddress, CommandTable.READ_PARAM), 2);
        h.clock.advance(3000);
        QCOMPARE(timesSent(h, BroadcastAddress, CommandTable.READ_PARAM), 5);
        QCOMPARE(timesSent(h, 1, CommandTable.DATA_READ), 0); // nobody answered: no polling

        ui->COM2->trigger();
        QVERIFY(!h.form().port().Connected());
        QCOMPARE(h.form().statusPanel(0)->text(), QStringLiteral("Port closed"));
        QVERIFY(!shown(ui->PageControl) && shown(ui->GroupBox5) && shown(ui->Image));
        QVERIFY(ui->COM1->isEnabled() && !ui->COM2->isEnabled() && ui->bbDublComOpen->isEnabled());
        h.clock.advance(5000);
        QCOMPARE(timesSent(h, BroadcastAddress, CommandTable.READ_PARAM), 5);
    }

    void silenceBringsBackThePortGroup()
    {
        ProgramHarness h;
        h.sensor.faults().silent = true;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(100);
        // Leftovers of an earlier reading, so the zeros come from the watchdog.
        h.state().sensor.SensorParam.Val_N = 1234;
        h.state().sensor.SensorParam.Val_C = 30000;
        ui->bbDublComOpen->click();
        h.clock.advance(200 + 2999); // first request at 200 ms starts the 3 s watchdog
        QVERIFY(shown(ui->PageControl) && !shown(ui->Animate));
        h.clock.advance(1);
        QVERIFY(!shown(ui->PageControl));
        QVERIFY(shown(ui->GroupBox5) && shown(ui->Image));
        QVERIFY(shown(ui->Animate) && ui->Animate->isActive());
        QCOMPARE(ui->PageControl->currentWidget(), ui->TabSheet3);
        QCOMPARE(h.state().sensor.SensorParam.Val_N, 0);
        QCOMPARE(h.state().sensor.SensorParam.Val_C, 0);
        const decode::ReadDataResult zero =
            decode::ReadData({}, false, ui->cbFlesh->currentIndex(), h.state().number);
        QCOMPARE(ui->lbN->text(), zero.lbN);
        QCOMPARE(ui->lbC->text(), zero.lbC);

        // The state stays, the search goes on every second.
        const int before = timesSent(h, BroadcastAddress, CommandTable.READ_PARAM);
        h.clock.advance(3000);
        QCOMPARE(timesSent(h, BroadcastAddress, CommandTable.READ_PARAM), before + 3);
        QVERIFY(shown(ui->GroupBox5) && shown(ui->Animate));

        ui->bbDublComClose->click();
        QVERIFY(!shown(ui->Animate) && !ui->Animate->isActive());
    }

    void portTextAndSpeed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("speedIndex"); // -1: none chosen
        QTest::addColumn<int>("port");       // the number opened
        QTest::addColumn<int>("baud");
        QTest::newRow("COM12, no speed chosen") << "COM12" << -1 << 12 << 19200;
        QTest::newRow("typed 12") << "12" << 0 << 12 << 2400;
        QTest::newRow("COMX keeps the previous number") << "COMX" << 6 << 1 << 115200;
        QTest::newRow("9600") << "COM12" << 2 << 12 << 9600;
    }
    void portTextAndSpeed()
    {
        QFETCH(QString, text);
        QFETCH(int, speedIndex);
        QFETCH(int, port);
        QFETCH(int, baud);
        ProgramHarness h;
        VirtualDeviceProvider com12(h.sensor, h.clock, port);
        h.world.ports = &com12;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        ui->cbComNum->setEditText(text);
        ui->cbSpeedCom->setCurrentIndex(speedIndex);
        ui->COM1->trigger();
        QVERIFY(h.form().port().Connected());
        QCOMPARE(h.form().port().ComNumber(), port);
        QCOMPARE(h.form().statusPanel(0)->text(),
                 QStringLiteral("COM port #%1 successfully opened").arg(port));
        auto *device = dynamic_cast<VirtualPort *>(h.form().port().device());
        QVERIFY(device);
        QCOMPARE(device->settings().baud, baud);
        QCOMPARE(ui->cbSpeedCom->currentIndex(), speedIndex < 0 ? 3 : speedIndex);
    }

    void portThatDoesNotOpen()
    {
        ProgramHarness h;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        ui->cbComNum->setEditText("COM5"); // nothing behind COM5
        ui->bbDublComOpen->click();
        QVERIFY(!h.form().port().Connected());
        QCOMPARE(h.form().statusPanel(0)->text(), QStringLiteral("Error port #5"));
        QVERIFY(shown(ui->GroupBox5) && !shown(ui->PageControl));
        QVERIFY(ui->COM1->isEnabled() && ui->bbDublComOpen->isEnabled());
        h.clock.advance(2000);
        QVERIFY(h.sensor.requests().isEmpty());

        ui->cbComNum->setEditText(QString());
        ui->COM1->trigger();
        QCOMPARE(h.dialogs.lastMessage(), QStringLiteral("Choose COM port"));
        QVERIFY(!h.form().port().Connected());
    }

    void scanListsOnlyPortsThatOpen()
    {
        QTemporaryDir folder;
        TestPty free1, held;
        QVERIFY(free1.open() && held.open());
        QVERIFY(QFile::link(free1.slave, folder.filePath("COM1")));
        QVERIFY(QFile::link(folder.filePath("gone"), folder.filePath("COM2")));
        QVERIFY(QFile::link(held.slave, folder.filePath("COM3")));
        {
            QFile plain(folder.filePath("plain"));
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(folder.filePath("plain"), folder.filePath("COM4")));
        for (int n = 10; n <= 255; ++n)
            QVERIFY(QFile::link(folder.filePath("gone"), folder.filePath(QString("COM%1").arg(n))));
        // Another program holds COM3.
        const int holder = ::open(QFile::encodeName(held.slave).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(holder >= 0);
        QCOMPARE(flock(holder, LOCK_EX | LOCK_NB), 0);

        ProgramHarness h;
        PosixDeviceProvider real{PortMap(folder.path(), {})};
        h.world.ports = &real;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        auto items = [ui] {
            QStringList out;
            for (int i = 0; i < ui->cbComNum->count(); ++i)
                out << ui->cbComNum->itemText(i);
            return out;
        };
        QCOMPARE(items(), QStringList{"COM1"});
        QCOMPARE(ui->cbComNum->currentText(), QStringLiteral("COM1"));

        // The other program lets go; "Refresh" lists the port.
        ::close(holder);
        ui->Button1->click();
        QCOMPARE(items(), QStringList({"COM1", "COM3"}));
        QCOMPARE(ui->cbComNum->currentIndex(), 0);

        // While connected, a rescan keeps the open port listed and open.
        ui->COM1->trigger();
        QVERIFY(h.form().port().Connected());
        ui->Button1->click();
        QCOMPARE(items(), QStringList({"COM1", "COM3"}));
        QVERIFY(h.form().port().Connected());
        ui->COM2->trigger();
    }

    // Ports that lead to no usable serial device: the open fails with a message
    // in the interface language that says why, the window stays in its closed
    // state, nothing is sent and no timer keeps running for the failed port.
    void unusualDevices_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("lang");
        QTest::addColumn<QString>("message");
        const QString dialout = QStringLiteral("(sudo usermod -aG dialout $USER)");
        QTest::newRow("link to nowhere") << "dangling" << 0 << "Port COM1 leads to no device";
        QTest::newRow("link to nowhere, ru")
            << "dangling" << 1 << "Порт COM1 не ведёт к устройству";
        QTest::newRow("not a tty") << "file" << 0 << "(port COM1) is not a serial port";
        QTest::newRow("not a tty, ru") << "file" << 1 << "(порт COM1) не является последовательным";
        QTest::newRow("gone between scan and open")
            << "gone" << 0 << "Port COM1 leads to no device";
        QTest::newRow("no permission") << "denied" << 0 << "dialout group " + dialout;
        QTest::newRow("no permission, ru") << "denied" << 1 << "группу dialout " + dialout;
    }
    void unusualDevices()
    {
        QFETCH(QString, setup);
        QFETCH(int, lang);
        QFETCH(QString, message);
        QTemporaryDir folder;
        TestPty pty;
        QVERIFY(pty.open());
        const QString com1 = folder.filePath("COM1");
        if (setup == "dangling") {
            QVERIFY(QFile::link(folder.filePath("ttyUSB0"), com1));
        } else if (setup == "file") {
            QFile plain(folder.filePath("plain"));
            QVERIFY(plain.open(QIODevice::WriteOnly));
            QVERIFY(QFile::link(plain.fileName(), com1));
        } else {
            QVERIFY(QFile::link(pty.slave, com1));
        }
        PosixDeviceProvider real{PortMap(folder.path(), {})};
        DeniedProvider denied;

        ProgramHarness h;
        (void)h.settings.set(SettingsKeys::vallatguage, lang);
        h.world.ports = setup == "denied" ? static_cast<DeviceProvider *>(&denied) : &real;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        if (setup == "gone") {
            QCOMPARE(ui->cbComNum->currentText(), QStringLiteral("COM1")); // the scan saw it
            pty.closeMaster(); // the device node goes with it
        }
        ui->cbComNum->setEditText("COM1");
        h.clock.advance(100);
        const int before = h.clock.pending();
        ui->bbDublComOpen->click();
        QVERIFY(!h.form().port().Connected());
        QVERIFY2(h.dialogs.lastMessage().contains(message), qPrintable(h.dialogs.lastMessage()));
        QCOMPARE(h.form().statusPanel(0)->text(), lang == 1
                                                      ? QStringLiteral("Ошибка открытия порта №1")
                                                      : QStringLiteral("Error port #1"));
        QVERIFY(shown(ui->GroupBox5) && !shown(ui->PageControl) && !shown(ui->Animate));
        QVERIFY(ui->COM1->isEnabled() && ui->bbDublComOpen->isEnabled());
        h.clock.advance(10000);
        QVERIFY(h.clock.pending() <= before);
    }

    // A user outside dialout sees an empty list: the status bar names the
    // device at start, and "Обновить" says once a run how to join the group.
    void deniedDevicesAreNamed_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("English") << 0 << "No permission for /dev/ttyUSB0 (COM1): join the dialout group"
                                 << "No permission to open /dev/ttyUSB0 (COM1).\rAdd your user to "
                                    "the dialout group (sudo usermod -aG dialout $USER), then "
                                    "log out and in again.";
        QTest::newRow("Russian") << 1 << "Нет доступа к /dev/ttyUSB0 (COM1): нужна группа dialout"
                                 << "Нет доступа к /dev/ttyUSB0 (COM1).\rДобавьте пользователя в "
                                    "группу dialout (sudo usermod -aG dialout $USER), затем "
                                    "выйдите из системы и войдите снова.";
    }
    void deniedDevicesAreNamed()
    {
        QFETCH(int, lang);
        QFETCH(QString, status);
        QFETCH(QString, message);
        DeniedProvider denied;
        ProgramHarness h;
        (void)h.settings.set(SettingsKeys::vallatguage, lang);
        h.world.ports = &denied;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        QCOMPARE(ui->cbComNum->count(), 0);
        QCOMPARE(h.form().statusPanel(0)->text(), status);
        h.clock.advance(200);
        QVERIFY(h.dialogs.messages().isEmpty());

        ui->Button1->click(); // "Обновить"
        QCOMPARE(h.dialogs.messages(), QStringList{message});
        QCOMPARE(h.form().statusPanel(0)->text(), status);
        ui->Button1->click();
        QCOMPARE(h.dialogs.messages().size(), 1); // once a run

        // Nothing denied, nothing said.
        ProgramHarness quiet;
        quiet.start();
        quiet.form().controls()->Button1->click();
        QVERIFY(quiet.dialogs.messages().isEmpty());
        QCOMPARE(quiet.form().statusPanel(0)->text(), QStringLiteral("Port closed"));
    }

    // A real tty that vanishes while open (the far end of a pseudo-terminal
    // closes): one hang-up closes the port, the window offers Open again and
    // the search goes on without the device.
    void ttyVanishesWhileOpen()
    {
        QTemporaryDir folder;
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(QFile::link(pty.slave, folder.filePath("COM1")));
        PosixDeviceProvider real{PortMap(folder.path(), {})};
        ProgramHarness h;
        h.world.ports = &real;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(100);
        ui->bbDublComOpen->click();
        QVERIFY(h.form().port().Connected());
        pty.closeMaster();
        QTRY_VERIFY(!h.form().port().Connected());
        QCOMPARE(h.form().statusPanel(0)->text(),
                 QStringLiteral("Adapter COM1 disconnected; waiting for it to be plugged in again"));
        QVERIFY(ui->bbDublComOpen->isEnabled() && ui->COM1->isEnabled());
        h.clock.advance(5000);
        QVERIFY(shown(ui->GroupBox5) && !shown(ui->PageControl));
        // Opening again names the missing device instead of hanging.
        ui->bbDublComOpen->click();
        QVERIFY(!h.form().port().Connected());
        QVERIFY2(h.dialogs.lastMessage().startsWith("Port COM1 leads to no device"),
                 qPrintable(h.dialogs.lastMessage()));
    }

    // With the modem-line check on, an adapter whose lines all drop is closed
    // and the port list is rebuilt with no port chosen: F9 then asks for a
    // port instead of opening whatever is listed first.
    void lostModemLinesLeaveNoPortChosen()
    {
        ProgramHarness h;
        (void)h.settings.set(SettingsKeys::RefCTS, true);
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(100);
        ui->COM1->trigger();
        QVERIFY(h.form().port().Connected());
        h.clock.advance(1500);
        // The lines change without an event: Timer1 polls them every period.
        Timer *timer1 = h.form().timer(QStringLiteral("Timer1"));
        QVERIFY(!timer1->waitsForActivity());
        h.ports.setModemLinesDropped(true);
        h.clock.advance(20);
        QVERIFY(!h.form().port().Connected());
        QVERIFY(timer1->waitsForActivity());
        QCOMPARE(ui->cbComNum->count(), 1); // COM1 is still listed
        QCOMPARE(ui->cbComNum->currentIndex(), -1);
        QVERIFY(ui->cbComNum->currentText().isEmpty());

        h.ports.setModemLinesDropped(false);
        h.dialogs.clear();
        ui->COM1->trigger(); // F9
        QVERIFY(!h.form().port().Connected());
        QCOMPARE(h.dialogs.messages(), QStringList{QStringLiteral("Choose COM port")});
    }

    void adapterPulledWhileOpen()
    {
        ProgramHarness h;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(100);
        ui->COM1->trigger();
        h.clock.advance(1500);
        h.ports.unplug();
        h.clock.advance(0);
        QVERIFY(!h.form().port().Connected());
        QVERIFY(ui->bbDublComOpen->isEnabled()); // Open is offered again at once
        // The port group is back and nothing spins: the port is closed.
        h.clock.advance(1000 + 3000);
        QVERIFY(shown(ui->GroupBox5) && !shown(ui->Animate) && !shown(ui->PageControl));

        // Plugged back: Open opens and the search reaches the sensor again.
        h.ports.plug();
        h.sensor.clearRequests();
        ui->bbDublComOpen->click();
        QVERIFY(h.form().port().Connected());
        QCOMPARE(h.form().statusPanel(0)->text(),
                 QStringLiteral("COM port #1 successfully opened"));
        h.clock.advance(200);
        QVERIFY(!h.sensor.requests().isEmpty());
        QCOMPARE(quint8(h.sensor.requests().first().at(2)), CommandTable.READ_PARAM);

        // Pulled and not plugged back: Open fails and the window is closed cleanly.
        h.ports.unplug();
        h.clock.advance(10);
        ui->bbDublComOpen->click();
        QVERIFY(!h.form().port().Connected());
        QCOMPARE(h.form().statusPanel(0)->text(), QStringLiteral("Error port #1"));
        QVERIFY(!shown(ui->Animate));
    }
};

QTEST_MAIN(TstPortSearch)
#include "tst_port_search.moc"
