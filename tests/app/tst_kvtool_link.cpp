// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool identify / watch end to end: kv-sensor-sim serves a sensor on a
// pseudo-terminal, the real kvtool program talks to it through the real port,
// and what it prints is compared with values worked out from the sim's options.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace {

/// kv-sensor-sim for the length of one test; the first line it prints is the device.
struct Sim {
    QProcess process;
    QString device;

    bool start(const QStringList &args)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(KV_SENSOR_SIM), args);
        if (!process.waitForStarted() || !process.waitForReadyRead(5000))
            return false;
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return device.startsWith(QLatin1String("/dev/"));
    }
    ~Sim()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(5000);
        }
    }
};

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runKvtool(const QStringList &args,
              const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KVTOOL), args);
    Run r;
    // A hang is the test's time-out, not a bound of ours.
    (void)p.waitForFinished(-1);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QStringList replaced(QStringList args, const QString &device)
{
    for (QString &a : args)
        a.replace(QLatin1String("$DEV"), device);
    return args;
}

/// The JSON value a "key: value" line stands for.
QJsonValue jsonValueOf(const QString &key, const QString &text)
{
    static const QStringList numeric{"model_code", "address", "output_period_s", "resolution_bits",
                                     "uart_speed"};
    if (text == QLatin1String("on") || text == QLatin1String("off"))
        return text == QLatin1String("on");
    if (numeric.contains(key))
        return text.toInt();
    return text;
}

} // namespace

class TestKvtoolLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void identify_data();
    void identify();
    void failureExits_data();
    void failureExits();
    void watch();
};

void TestKvtoolLink::identify_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("toolArgs");
    QTest::addColumn<bool>("viaPortFolder");
    QTest::addColumn<QStringList>("expected");

    // The sim's defaults: made 2023-05-17, address 1, period code 0, output mode
    // 0x90 (bit 7: 12 bit; speed code 4 → 19200; averaging bit 6 clear; not
    // periodic, binary), third mode byte 0x00.
    const QStringList common{"output_period_s: 1", "periodic_output: off", "text_format: off",
                             "averaging: on",      "resolution_bits: 12",  "uart_speed: 19200"};

    QTest::newRow("model 1, firmware 5.3, serial 42, device path")
        << QStringList{"--model", "1", "--firmware", "0x53", "--serial", "42"} << QStringList{}
        << false
        << QStringList{"model: QMA-10",
                       "model_code: 1",
                       "firmware: v.5.3",
                       "serial: 000042",
                       "manufactured: 2023-05-17",
                       "address: 1"} +
               common;
    // A two-wire RS-485 adapter hands every request back before the reply.
    QTest::newRow("echoing adapter at 9600 bit/s, replies split")
        << QStringList{"--echo", "--split", "2,3"} << QStringList{"--speed", "9600"} << false
        << QStringList{"model: QMA-10",
                       "model_code: 1",
                       "firmware: v.5.3",
                       "serial: 123456",
                       "manufactured: 2023-05-17",
                       "address: 1"} +
               common;
    // Firmware 8.3 also reads the third mode byte for the resolution; model 3
    // is not in the model table.
    QTest::newRow("model 3, firmware 8.3, through COM3 of the port folder")
        << QStringList{"--model", "3", "--firmware", "0x83"} << QStringList{} << true
        << QStringList{"model: Error",
                       "model_code: 3",
                       "firmware: v.8.3",
                       "serial: 123456",
                       "manufactured: 2023-05-17",
                       "address: 1"} +
               common;
    QTest::newRow("address 37 asked by address, serial 1000000, no version")
        << QStringList{"--model",  "178",     "--firmware", "0xFF",
                       "--serial", "1000000", "--address",  "37"}
        << QStringList{"--address", "37", "--speed", "19200"} << false
        << QStringList{"model: VG3",     "model_code: 178",          "firmware: Error",
                       "serial: 999999", "manufactured: 2023-05-17", "address: 37"} +
               common;
}

void TestKvtoolLink::identify()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, toolArgs);
    QFETCH(bool, viaPortFolder);
    QFETCH(QStringList, expected);

    QTemporaryDir ports;
    QVERIFY(ports.isValid());
    if (viaPortFolder)
        simArgs << QStringLiteral("--link") << ports.filePath(QStringLiteral("COM3"));
    Sim sim;
    QVERIFY(sim.start(simArgs));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KV_PORT_DIR"), ports.path());
    const QStringList port{"--port", viaPortFolder ? QStringLiteral("COM3") : sim.device};

    const Run text = runKvtool(QStringList{"identify"} + port + toolArgs, env);
    QVERIFY2(text.exitCode == 0, qPrintable(text.err));
    QCOMPARE(text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);

    const Run json =
        runKvtool(QStringList{"identify"} + port + toolArgs + QStringList{"--json"}, env);
    QVERIFY2(json.exitCode == 0, qPrintable(json.err));
    QJsonParseError error;
    const QJsonObject got = QJsonDocument::fromJson(json.out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QJsonObject want;
    for (const QString &line : expected) {
        const QString key = line.section(QStringLiteral(": "), 0, 0);
        want.insert(key, jsonValueOf(key, line.section(QStringLiteral(": "), 1)));
    }
    QCOMPARE(got, want);
}

void TestKvtoolLink::failureExits_data()
{
    QTest::addColumn<QStringList>("simArgs"); // empty: no sim
    QTest::addColumn<QStringList>("toolArgs");
    QTest::addColumn<bool>("lockDevice");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QStringList identify{"identify", "--port", "$DEV"};
    QTest::newRow("silent sensor")
        << QStringList{"--silent"} << identify << false << 2 << "nothing was received";
    // The adapter's echo of the request is not something received.
    QTest::newRow("silent sensor behind an echoing adapter")
        << QStringList{"--silent", "--echo"} << identify << false << 2 << "nothing was received";
    QTest::newRow("wrong address")
        << QStringList{"--address", "5"} << identify + QStringList{"--address", "6"} << false << 2
        << "from address 6";
    QTest::newRow("bad CRC") << QStringList{"--bad-crc"} << identify << false << 2
                             << "1 with a bad CRC";
    QTest::newRow("noise before the reply")
        << QStringList{"--garbage", "3"} << identify << false << 2 << "discarded as noise";
    QTest::newRow("watch on a silent sensor")
        << QStringList{"--silent"} << QStringList{"watch", "--port", "$DEV", "--count", "3"}
        << false << 2 << "DATA_READ";
    QTest::newRow("port busy") << QStringList{} << identify << true << 3 << "the port is busy";
    QTest::newRow("missing device")
        << QStringList{} << QStringList{"identify", "--port", "/dev/kv-no-such-tty"} << false << 3
        << "the device is missing";
    QTest::newRow("COM number without a link")
        << QStringList{} << QStringList{"identify", "--port", "COM7"} << false << 3
        << "no link COM7 in the port folder";
    QTest::newRow("no port given")
        << QStringList{} << QStringList{"identify", "--json"} << false << 2 << "--port is required";
}

void TestKvtoolLink::failureExits()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, toolArgs);
    QFETCH(bool, lockDevice);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    std::unique_ptr<Sim> sim;
    if (!simArgs.isEmpty() || lockDevice) {
        sim = std::make_unique<Sim>();
        QVERIFY(sim->start(simArgs));
    }
    // Another program holding the port: the lock the main window takes too.
    int lockFd = -1;
    if (lockDevice) {
        lockFd = ::open(qPrintable(sim->device), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(lockFd >= 0);
        QCOMPARE(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
    }
    QTemporaryDir ports;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KV_PORT_DIR"), ports.path());

    const Run r = runKvtool(replaced(toolArgs, sim ? sim->device : QString()), env);
    if (lockFd >= 0)
        ::close(lockFd);
    QVERIFY2(r.exitCode == exitCode,
             qPrintable(QStringLiteral("exit %1: %2").arg(r.exitCode).arg(r.err)));
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

void TestKvtoolLink::watch()
{
    Sim sim;
    QVERIFY(sim.start({}));
    const QRegularExpression line(QStringLiteral("^temperature=22 N=[0-9]+ C=[0-9]+$"));

    const Run counted =
        runKvtool({"watch", "--port", sim.device, "--count", "3", "--interval-ms", "50"});
    QVERIFY2(counted.exitCode == 0, qPrintable(counted.err));
    const QStringList lines = counted.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    for (const QString &l : lines)
        QVERIFY2(line.match(l).hasMatch(), qPrintable(l));

    // Without --count it runs until interrupted; Ctrl+C ends it with status 0.
    QProcess endless;
    endless.start(QStringLiteral(KVTOOL), {"watch", "--port", sim.device, "--interval-ms", "50"});
    QVERIFY(endless.waitForStarted());
    QVERIFY(endless.waitForReadyRead(5000));
    QVERIFY(line.match(QString::fromUtf8(endless.readLine()).trimmed()).hasMatch());
    ::kill(pid_t(endless.processId()), SIGINT);
    QVERIFY(endless.waitForFinished(5000));
    QCOMPARE(endless.exitStatus(), QProcess::NormalExit);
    QCOMPARE(endless.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestKvtoolLink)
#include "tst_kvtool_link.moc"
