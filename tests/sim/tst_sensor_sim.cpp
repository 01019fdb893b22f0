// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kv-sensor-sim end to end: start the program, open the pseudo-terminal it
// names with plain POSIX calls as an independent client, exchange a frame built
// by hand, and stop it with a signal.

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

/// CRC-8/MAXIM, bit by bit (deliberately not the program's table).
quint8 crc8(const QByteArray &b)
{
    quint8 crc = 0;
    for (char ch : b) {
        crc ^= quint8(ch);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint8((crc >> 1) ^ 0x8C) : quint8(crc >> 1);
    }
    return crc;
}

QByteArray frame(int address, int command, const QByteArray &data = {})
{
    QByteArray f;
    f.append(char(0x31));
    f.append(char(address));
    f.append(char(command));
    f.append(data);
    f.append(char(crc8(f)));
    return f;
}

int openRaw(const QString &path)
{
    const int fd = ::open(qPrintable(path), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    tcflush(fd, TCIOFLUSH);
    return fd;
}

/// Reads until want bytes came or the time is up; returns what came.
QByteArray readFor(int fd, int want, int ms)
{
    QByteArray got;
    QDeadlineTimer deadline(ms);
    while (got.size() < want && !deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
            break;
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, int(n));
    }
    return got;
}

} // namespace

class TestSensorSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void servesOnPty_data();
    void servesOnPty();
    void rejectsBadOptions();
};

void TestSensorSim::servesOnPty_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("garbage");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<int>("stopSignal");
    QTest::newRow("plain") << QStringList{"--serial", "4242"} << 0 << true << SIGTERM;
    QTest::newRow("faults") << QStringList{"--serial", "4242", "--garbage",  "2",
                                           "--split",  "3,4",  "--delay-ms", "20",
                                           "--refuse", "0x62"}
                            << 2 << true << SIGINT;
    QTest::newRow("silent") << QStringList{"--silent"} << 0 << false << SIGTERM;
}

void TestSensorSim::servesOnPty()
{
    QFETCH(QStringList, args);
    QFETCH(int, garbage);
    QFETCH(bool, answers);
    QFETCH(int, stopSignal);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("COM7"));
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(KV_SENSOR_SIM), QStringList{"--link", link} + args);
    QVERIFY(sim.waitForStarted());
    QVERIFY(sim.waitForReadyRead(5000));
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY2(path.startsWith(QLatin1String("/dev/pts/")), qPrintable(path));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    // Open through the link twice in a row: a client closing must not hang up the sim.
    for (int round = 0; round < 2; ++round) {
        const int fd = openRaw(link);
        QVERIFY(fd >= 0);
        const QByteArray request = frame(1, 0x42); // READ_SN
        QCOMPARE(::write(fd, request.constData(), size_t(request.size())), ssize_t(4));
        const QByteArray reply = readFor(fd, garbage + 12, answers ? 3000 : 300);
        ::close(fd);
        if (!answers) {
            QVERIFY(reply.isEmpty());
            break;
        }
        QCOMPARE(reply.size(), garbage + 12);
        QCOMPARE(reply.left(garbage), QByteArray(garbage, '\0'));
        const QByteArray r = reply.mid(garbage);
        QCOMPARE(quint8(r[0]), quint8(0x3E));
        QCOMPARE(quint8(r[2]), quint8(0x42));
        QCOMPARE(quint8(r[6]) | (quint8(r[7]) << 8) | (quint8(r[8]) << 16), 4242);
        QCOMPARE(crc8(r.left(11)), quint8(r[11]));
    }

    if (args.contains(QLatin1String("--refuse"))) {
        const int fd = openRaw(path);
        QVERIFY(fd >= 0);
        const QByteArray request = frame(1, 0x62, QByteArray(1, char(0x01))); // SET_REP_MODE
        QCOMPARE(::write(fd, request.constData(), size_t(request.size())), ssize_t(5));
        const QByteArray reply = readFor(fd, garbage + 5, 3000).mid(garbage);
        ::close(fd);
        QCOMPARE(reply.size(), 5);
        QCOMPARE(quint8(reply[3]), quint8(0x01)); // refused
    }

    QCOMPARE(::kill(pid_t(sim.processId()), stopSignal), 0);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSensorSim::rejectsBadOptions()
{
    for (const QStringList &args :
         {QStringList{"--firmware", "zz"}, QStringList{"--split", "4,x"},
          QStringList{"--address", "256"}, QStringList{"--no-such-option"}}) {
        QProcess sim;
        sim.start(QStringLiteral(KV_SENSOR_SIM), args);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardOutput().isEmpty()); // no device path for a bad start
    }
}

QTEST_GUILESS_MAIN(TestSensorSim)
#include "tst_sensor_sim.moc"
