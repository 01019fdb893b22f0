// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool ports: the port folder with each adapter's name, read from a fake
// /dev and /sys tree ($KV_DEVICE_ROOT), and a pseudo-terminal that an
// unprivileged user may not open.

#include "support/tool_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

ToolRun runPorts(const QStringList &args, const QString &portDir, const QString &deviceRoot,
                 const QStringList &prefix = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KV_PORT_DIR"), portDir);
    env.insert(QStringLiteral("KV_DEVICE_ROOT"), deviceRoot);
    p.setProcessEnvironment(env);
    QStringList all = prefix;
    all << QStringLiteral(KVTOOL) << QStringLiteral("ports") << args;
    p.start(all.takeFirst(), all);
    (void)p.waitForFinished(10000);
    ToolRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestKvtoolPorts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // New adapters get their numbers (by-id names first) and every port is
    // listed with its device, description, by-id name and whether it opens.
    void listsAdaptersByName()
    {
        QTemporaryDir dir;
        const QString root = QFileInfo(dir.path()).canonicalFilePath();
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
        write("/dev/ttyUSB0", {});
        write("/dev/ttyACM0", {});
        link("../../ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
        const QString ftdi = "/sys/devices/usb1/1-1";
        write(ftdi + "/idVendor", "0403\n");
        write(ftdi + "/idProduct", "6001\n");
        write(ftdi + "/manufacturer", "FTDI\n");
        write(ftdi + "/product", "FT232R USB UART\n");
        write(ftdi + "/serial", "A1B2C3\n");
        write(ftdi + "/1-1:1.0/ttyUSB0/port_number", "0\n");
        link(root + ftdi + "/1-1:1.0/ttyUSB0", "/sys/class/tty/ttyUSB0/device");
        const QString acm = "/sys/devices/usb1/1-2";
        write(acm + "/idVendor", "2341\n");
        write(acm + "/idProduct", "0043\n");
        write(acm + "/product", "USB-RS485 Bridge\n");
        write(acm + "/1-2:1.0/bInterfaceClass", "02\n");
        link(root + acm + "/1-2:1.0", "/sys/class/tty/ttyACM0/device");
        // COM1 is taken by an adapter that is not plugged in now.
        link("/dev/serial/by-id/usb-Gone_Adapter-if00-port0", "/ports/COM1");

        const ToolRun r = runPorts({}, root + "/ports", root);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out.split('\n', Qt::SkipEmptyParts),
                 (QStringList{
                     "COM1\t/dev/serial/by-id/usb-Gone_Adapter-if00-port0\t-\t-\tmissing",
                     "COM2\t" + root +
                         "/dev/ttyUSB0\tFT232R USB UART (FTDI)\t"
                         "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0\tnot-serial",
                     "COM3\t" + root + "/dev/ttyACM0\tUSB-RS485 Bridge\t-\tnot-serial",
                 }));
        // The link made for the FTDI adapter is its by-id name, so it survives
        // replugging into another socket.
        QCOMPARE(QFileInfo(root + "/ports/COM2").symLinkTarget(),
                 root + "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");

        const ToolRun json = runPorts({"--json"}, root + "/ports", root);
        QVERIFY2(json.exitCode == 0, qPrintable(json.err));
        QVERIFY(json.out.contains("\"vendor_id\": \"0403\""));
        QVERIFY(json.out.contains("\"serial\": \"A1B2C3\""));
        QCOMPARE(runPorts({"--all"}, root + "/ports", root).exitCode, 2);
    }

    // Run as a user outside the tty's group, a port that will not open says
    // why and how to mend it. Needs root to become another user.
    void unprivilegedUserIsTold()
    {
        if (geteuid() != 0)
            QSKIP("needs root to run kvtool as another user");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("setpriv is not installed");
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(ptsname(master));
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                      QFileDevice::ExeOther));
        QVERIFY(QDir().mkpath(dir.filePath("ports")));
        QVERIFY(QFile::link(slave, dir.filePath("ports/COM1")));
        const ToolRun r = runPorts({}, dir.filePath("ports"), dir.filePath("empty-root"),
                                   {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups",
                                    "--"});
        ::close(master);
        if (r.exitCode != 0 && r.out.isEmpty())
            QSKIP(qPrintable("kvtool cannot run as nobody here: " + r.err));
        QCOMPARE(r.out, "COM1\t" + slave + "\t-\t-\tno-permission\n");
        QVERIFY2(r.err.contains("sudo usermod -aG dialout $USER"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestKvtoolPorts)
#include "tst_kvtool_ports.moc"
