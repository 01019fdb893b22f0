// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The port folder: stable COM numbers for the devices found, and the reasons a
// port cannot be opened.

#include "link/comport.h"
#include "link/port_map.h"
#include "pty.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/file.h>
#include <sys/stat.h>

class TestPortMap : public QObject {
    Q_OBJECT

    static bool touch(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly);
    }
    static QString target(const QString &link) { return QFileInfo(link).symLinkTarget(); }

private Q_SLOTS:
    void defaultFolder()
    {
        const QByteArray oldPortDir = qgetenv("KV_PORT_DIR");
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("KV_PORT_DIR", "/tmp/kv-ports");
        QCOMPARE(PortMap::defaultFolder(), QStringLiteral("/tmp/kv-ports"));
        qunsetenv("KV_PORT_DIR");
        qputenv("XDG_CONFIG_HOME", "/tmp/xdg");
        QCOMPARE(PortMap::defaultFolder(), QStringLiteral("/tmp/xdg/kv-ruzevuv/ports"));
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(PortMap::defaultFolder(), QDir::homePath() + "/.config/kv-ruzevuv/ports");
        qputenv("KV_PORT_DIR", oldPortDir);
        qputenv("XDG_CONFIG_HOME", oldXdg);
    }

    // Each port is named as the installer knows the adapter: product and
    // maker from its USB descriptor in sysfs, the kernel's device, and the
    // by-id name, here from a fake /dev and /sys tree.
    void adaptersByName_data()
    {
        QTest::addColumn<int>("com");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("byId");
        QTest::addColumn<QString>("serial");
        QTest::newRow("FTDI through its by-id link")
            << 3 << "COM3 — FT232R USB UART (FTDI), ttyUSB0"
            << "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"
            << "A1B2C3";
        QTest::newRow("CDC ACM linked by its device path, product only")
            << 4 << "COM4 — USB-RS485 Bridge, ttyACM0"
            << "usb-Acme_USB-RS485_Bridge-if00"
            << "";
        QTest::newRow("descriptor without names: the USB ids")
            << 5 << "COM5 — USB 1a86:7523, ttyUSB1" << "" << "";
        QTest::newRow("on-board UART: the device alone") << 1 << "COM1 — ttyS0" << "" << "";
        QTest::newRow("adapter unplugged: the number alone") << 6 << "COM6" << "" << "";
        QTest::newRow("no link") << 9 << "COM9" << "" << "";
    }
    void adaptersByName()
    {
        QFETCH(int, com);
        QFETCH(QString, label);
        QFETCH(QString, byId);
        QFETCH(QString, serial);

        QTemporaryDir dir;
        const QString root = dir.path();
        auto write = [&](const QString &path, const QByteArray &text) {
            QVERIFY(QDir().mkpath(QFileInfo(root + path).path()));
            QFile f(root + path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        auto link = [&](const QString &target, const QString &path) {
            QVERIFY(QDir().mkpath(QFileInfo(root + path).path()));
            QVERIFY(QFile::link(target, root + path));
        };
        for (const char *name : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0"})
            write(QStringLiteral("/dev/") + name, {});
        link("../../ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
        link("../../ttyACM0", "/dev/serial/by-id/usb-Acme_USB-RS485_Bridge-if00");
        // sysfs: a usb-serial port sits below its interface, an ACM tty's device
        // is the interface itself; the descriptor is on the USB device above.
        const QString ftdi = "/sys/devices/pci0000:00/usb1/1-1";
        write(ftdi + "/idVendor", "0403\n");
        write(ftdi + "/idProduct", "6001\n");
        write(ftdi + "/manufacturer", "FTDI\n");
        write(ftdi + "/product", "FT232R USB UART\n");
        write(ftdi + "/serial", "A1B2C3\n");
        write(ftdi + "/1-1:1.0/ttyUSB0/port_number", "0\n");
        link(root + ftdi + "/1-1:1.0/ttyUSB0", "/sys/class/tty/ttyUSB0/device");
        const QString acm = "/sys/devices/pci0000:00/usb1/1-2";
        write(acm + "/idVendor", "2341\n");
        write(acm + "/idProduct", "0043\n");
        write(acm + "/product", "USB-RS485 Bridge\n");
        write(acm + "/1-2:1.0/bInterfaceClass", "02\n");
        link(root + acm + "/1-2:1.0", "/sys/class/tty/ttyACM0/device");
        const QString ch340 = "/sys/devices/pci0000:00/usb1/1-3";
        write(ch340 + "/idVendor", "1a86\n");
        write(ch340 + "/idProduct", "7523\n");
        write(ch340 + "/1-3:1.0/ttyUSB1/port_number", "0\n");
        link(root + ch340 + "/1-3:1.0/ttyUSB1", "/sys/class/tty/ttyUSB1/device");
        write("/sys/devices/platform/serial8250/tty/ttyS0/type", "4\n");
        link(root + "/sys/devices/platform/serial8250/tty/ttyS0", "/sys/class/tty/ttyS0/device");

        const QString ports = root + "/ports";
        link(root + "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0", "/ports/COM3");
        link(root + "/dev/ttyACM0", "/ports/COM4");
        link(root + "/dev/ttyUSB1", "/ports/COM5");
        link(root + "/dev/ttyS0", "/ports/COM1");
        link(root + "/dev/serial/by-id/usb-Gone_Adapter-if00-port0", "/ports/COM6");

        PortMap map(ports, {});
        map.setDeviceRoots(DeviceRoots::under(root));
        const AdapterInfo info = map.describe(com);
        QCOMPARE(portLabel(com, info.summary()), label);
        QCOMPARE(info.byId, byId);
        QCOMPARE(info.serial, serial);
        PosixDeviceProvider provider(map);
        QCOMPARE(portLabel(com, provider.portSummary(com)), label);
    }

    void stableNumbering()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString dev = dir.path() + "/dev";
        const QString ports = dir.path() + "/ports";
        QVERIFY(QDir().mkpath(dev + "/by-id"));
        QVERIFY(QDir().mkpath(ports));
        for (const char *name : {"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyACM0", "ttyS0"})
            QVERIFY(touch(dev + "/" + name));
        QVERIFY(QFile::link(dev + "/ttyUSB1", dev + "/by-id/usb-Adapter_A1-if00-port0"));
        QVERIFY(QFile::link("/nonexistent/by-id/gone", dev + "/by-id/usb-Gone-if00"));
        // Links from an earlier session: one whose adapter is unplugged, one in use.
        QVERIFY(QFile::link("/nonexistent/ttyUSB7", ports + "/COM1"));
        QVERIFY(QFile::link(dev + "/ttyACM0", ports + "/COM3"));
        QVERIFY(touch(ports + "/notes.txt"));

        const QList<DevicePattern> patterns{{dev + "/by-id/*", false},
                                            {dev + "/ttyUSB*", false},
                                            {dev + "/ttyACM*", false},
                                            {dev + "/ttyS*", true}};
        PortMap map(ports, patterns);
        const PortMap::ScanResult first = map.assignNewDevices();
        QVERIFY2(first.error.isEmpty(), qPrintable(first.error));
        QCOMPARE(first.added.size(), 3);
        // The by-id name comes first and stands for ttyUSB1; a regular file is no real UART.
        QCOMPARE(target(ports + "/COM2"), dev + "/by-id/usb-Adapter_A1-if00-port0");
        QCOMPARE(target(ports + "/COM4"), dev + "/ttyUSB0");
        QCOMPARE(target(ports + "/COM5"), dev + "/ttyUSB10");
        QCOMPARE(target(ports + "/COM1"), QStringLiteral("/nonexistent/ttyUSB7"));
        QCOMPARE(target(ports + "/COM3"), dev + "/ttyACM0");
        QCOMPARE(map.numbers(), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(map.devicePath(1), ports + "/COM1"); // dangling, still the link of COM1
        QVERIFY(map.devicePath(6).isEmpty());
        QVERIFY(map.devicePath(0).isEmpty());

        QVERIFY(map.assignNewDevices().added.isEmpty()); // a second scan changes nothing

        QVERIFY(touch(dev + "/ttyUSB2"));
        const PortMap::ScanResult second = map.assignNewDevices();
        QCOMPARE(second.added.size(), 1);
        QCOMPARE(second.added.first().number, 6);
        QCOMPARE(target(ports + "/COM6"), dev + "/ttyUSB2");

        PosixDeviceProvider provider(map);
        QCOMPARE(provider.portNumbers(), (QList<int>{1, 2, 3, 4, 5, 6}));
    }

    void createsTheFolder()
    {
        QTemporaryDir dir;
        QVERIFY(touch(dir.path() + "/ttyACM3"));
        PortMap map(dir.path() + "/config/kv-ruzevuv/ports", {{dir.path() + "/ttyACM*", false}});
        const PortMap::ScanResult result = map.assignNewDevices();
        QCOMPARE(result.added.size(), 1);
        QCOMPARE(result.added.first().number, 1);
        QCOMPARE(map.numbers(), QList<int>{1});
    }

    void openFailureReasons_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("kind");
        QTest::newRow("no link") << "none" << int(OpenError::Missing);
        QTest::newRow("link target gone") << "dangling" << int(OpenError::Missing);
        QTest::newRow("regular file") << "file" << int(OpenError::NotSerial);
        QTest::newRow("held by another program") << "locked" << int(OpenError::Busy);
        QTest::newRow("no permission") << "noaccess" << int(OpenError::Permission);
    }
    void openFailureReasons()
    {
        QFETCH(QString, setup);
        QFETCH(int, kind);
        if (setup == "noaccess" && geteuid() == 0)
            QSKIP("root opens files without permission bits");
        QTemporaryDir dir;
        const QString link = dir.path() + "/COM9";
        TestPty pty;
        int holder = -1;
        if (setup == "dangling") {
            QVERIFY(QFile::link(dir.path() + "/ttyUSB0", link));
        } else if (setup == "file" || setup == "noaccess") {
            QVERIFY(touch(dir.path() + "/plain"));
            if (setup == "noaccess")
                QCOMPARE(chmod(QFile::encodeName(dir.path() + "/plain").constData(), 0), 0);
            QVERIFY(QFile::link(dir.path() + "/plain", link));
        } else if (setup == "locked") {
            QVERIFY(pty.open());
            QVERIFY(QFile::link(pty.slave, link));
            holder = ::open(QFile::encodeName(pty.slave).constData(), O_RDWR | O_NOCTTY);
            QVERIFY(holder >= 0);
            QCOMPARE(flock(holder, LOCK_EX | LOCK_NB), 0);
        }

        PosixDeviceProvider provider{PortMap(dir.path())};
        TComPort port(&provider);
        port.setComNumber(9);
        QVERIFY(!port.Connect());
        QVERIFY(!port.hasReader());
        QCOMPARE(int(port.lastOpenError().kind), kind);
        QVERIFY(!port.lastOpenError().text.isEmpty());
        if (holder >= 0) {
            ::close(holder); // the other program lets go: now it opens
            QVERIFY(port.Connect());
            QCOMPARE(int(port.lastOpenError().kind), int(OpenError::None));
        }
    }

    // Port selection tries every number; with a folder full of dead links this
    // must stay quick. Reports the time; the suite asserts only the outcome.
    void scanOfAllNumbers()
    {
        QTemporaryDir dir;
        QVERIFY(touch(dir.path() + "/plain"));
        for (int n = 1; n <= MaxComNumber; ++n) {
            const QString target = (n % 2) ? dir.path() + "/gone" : dir.path() + "/plain";
            QVERIFY(QFile::link(target, dir.path() + QStringLiteral("/COM%1").arg(n)));
        }
        PosixDeviceProvider provider{PortMap(dir.path())};
        TComPort port(&provider);
        QElapsedTimer clock;
        clock.start();
        int opened = 0;
        for (int n = 1; n <= MaxComNumber; ++n) {
            port.setComNumber(n);
            if (port.Connect())
                ++opened;
            port.Close();
        }
        qInfo("255 ports tried in %lld ms", clock.elapsed());
        QCOMPARE(opened, 0);
    }
};

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_port_map.moc"
