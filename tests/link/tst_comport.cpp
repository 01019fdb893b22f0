// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TComPort over a real pseudo-terminal: the slave end is linked as COMn in a
// port folder, the test plays the sensor on the master end.

#include "link/comport.h"
#include "link/frame_link.h"
#include "link/port_map.h"
#include "link/posix_serial.h"
#include "link/trace.h"
#include "pty.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <termios.h>

class TestComPort : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_ports;

    // Links the slave end of pty as COMn.
    bool link(const TestPty &pty, int n)
    {
        return QFile::link(pty.slave, m_ports + QStringLiteral("/COM%1").arg(n));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_ports = m_dir.path() + QStringLiteral("/ports");
        qputenv("KV_PORT_DIR", QFile::encodeName(m_ports));
    }
    void init()
    {
        QDir(m_ports).removeRecursively();
        QVERIFY(QDir().mkpath(m_ports));
    }

    void waitTxDelay_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("byteSize");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("ms");
        QTest::newRow("19200 8N1") << int(br19200) << int(bs8) << int(ptNONE) << int(sb1BITS) << 10;
        // 4166 × 11 × 18 = 824 868 → 82.5 ms, rounded up
        QTest::newRow("2400 7E2") << int(br2400) << int(bs7) << int(ptEVEN) << int(sb2BITS) << 83;
        QTest::newRow("110 8N1") << int(br110) << int(bs8) << int(ptNONE) << int(sb1BITS) << 1637;
        QTest::newRow("115200 5N1.5")
            << int(br115200) << int(bs5) << int(ptNONE) << int(sb1HALFBITS) << 2;
    }
    void waitTxDelay()
    {
        QFETCH(int, rate);
        QFETCH(int, byteSize);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(int, ms);
        TComProp prop;
        prop.BaudRate = TBaudRate(rate);
        prop.ByteSize = TByteSize(byteSize);
        prop.Parity = TParity(parity);
        prop.Stopbits = TStopbits(stopBits);
        QCOMPARE(prop.waitTxDelayMs(), ms);
    }

    void namesAndBufferSize()
    {
        TComPort port;
        QCOMPARE(port.ComNumber(), 1);
        port.setComNumber(12);
        QCOMPARE(port.GetComName(true), QStringLiteral("\\\\.\\COM12"));
        QCOMPARE(port.GetComName(false), QStringLiteral("COM12"));

        QCOMPARE(port.InBufSize(), 10u);
        port.setInBufSize(0);
        QCOMPARE(port.InBufSize(), 10u);
        port.setInBufSize(500);
        QCOMPARE(port.InBufSize(), 500u);

        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 2));
        PosixDeviceProvider provider;
        port.setProvider(&provider);
        port.setComNumber(2);
        QVERIFY(port.Connect());
        port.setInBufSize(64); // refused while open
        QCOMPARE(port.InBufSize(), 500u);
    }

    void lineSettingsReachTheTty_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bps");
        const int bps[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                           14400, 19200, 38400, 56000, 57600, 115200};
        for (int i = 0; i < BaudRateCount; ++i)
            QTest::addRow("%d", bps[i]) << i << bps[i];
    }
    void lineSettingsReachTheTty()
    {
        QFETCH(int, rate);
        QFETCH(int, bps);
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 1));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        port.ComProp().BaudRate = TBaudRate(rate);
        port.ComProp().ByteSize = bs7;
        port.ComProp().Parity = ptMARK;
        port.ComProp().Stopbits = sb2BITS;
        QVERIFY2(port.Connect(), qPrintable(port.lastOpenError().text));

        auto *device = static_cast<PosixSerialDevice *>(port.device());
        QCOMPARE(posix_serial_detail::outputBaud(device->fd()), bps);
        termios t;
        QCOMPARE(tcgetattr(device->fd(), &t), 0);
        // A pty forces CS8 without parity; the frame bits are checked in termiosBits.
        QVERIFY(t.c_cflag & CSTOPB);
        QVERIFY(t.c_cflag & CLOCAL);
        QVERIFY(!(t.c_cflag & CRTSCTS));
        QVERIFY(!(t.c_lflag & (ICANON | ECHO)));
    }

    void termiosBits_data()
    {
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<uint>("cflag"); // under CSIZE | PARENB | PARODD | CMSPAR | CSTOPB
        QTest::newRow("8N1") << 8 << 0 << 0 << uint(CS8);
        QTest::newRow("7O1") << 7 << 1 << 0 << uint(CS7 | PARENB | PARODD);
        QTest::newRow("6E2") << 6 << 2 << 2 << uint(CS6 | PARENB | CSTOPB);
        QTest::newRow("5M1.5") << 5 << 3 << 1 << uint(CS5 | PARENB | PARODD | CMSPAR | CSTOPB);
        QTest::newRow("8S1") << 8 << 4 << 0 << uint(CS8 | PARENB | CMSPAR);
    }
    void termiosBits()
    {
        QFETCH(int, dataBits);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(uint, cflag);
        LineSettings s;
        s.dataBits = dataBits;
        s.parity = parity;
        s.stopBits = stopBits;
        termios t{};
        t.c_cflag = CRTSCTS | PARENB | CSTOPB; // leftovers of a previous user
        QVERIFY(posix_serial_detail::fillTermios(s, &t));
        QCOMPARE(uint(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB)), cflag);
        QVERIFY(!(t.c_cflag & CRTSCTS));
        QCOMPARE(cfgetospeed(&t), speed_t(B19200));
        s.baud = 14400;
        QVERIFY(!posix_serial_detail::fillTermios(s, &t)); // left to termios2
    }

    void crossedLineMapping()
    {
        TComProp prop;
        prop.EnableRTS = true;
        QVERIFY(prop.lineSettings().dtrOn);
        QVERIFY(!prop.lineSettings().rtsOn);
        prop.EnableRTS = false;
        prop.EnableDTR = true;
        QVERIFY(prop.lineSettings().rtsOn);
        QVERIFY(!prop.lineSettings().dtrOn);
    }

    void readSnRoundTrip()
    {
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 7));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        port.setInBufSize(500);
        port.setComNumber(7);
        QVERIFY(port.Connect());
        QVERIFY(port.hasReader());
        QVERIFY(!port.ReadActive());
        port.setReadActive(true);
        QVERIFY(port.ReadActive());

        StringTraceSink trace;
        FrameLink link(&trace, [&port](const QByteArray &f) { return port.WriteString(f); });
        QByteArrayList replies;
        link.onReplyAccepted = [&](const QByteArray &r) { replies.append(r); };
        port.OnReadPacket = [&link](const char *p, int n, quint32 e) {
            link.FPortReadPacket(p, n, e);
        };

        link.WriteComand(5, CommandTable.READ_SN);
        const QByteArray request = buildRequest(5, CommandTable.READ_SN);
        QCOMPARE(pty.read(int(request.size())), request);

        const QByteArray reply =
            buildReply(5, CommandTable.READ_SN, QByteArray::fromHex("1a000e39300201ff"));
        QVERIFY(pty.write(reply));
        QTRY_COMPARE(replies.size(), 1);
        QCOMPARE(replies.first(), reply);
        QCOMPARE(link.replyByte(7), 0x39);
        QVERIFY(trace.text().startsWith(QLatin1String("<= 31  05  42  ")));
        QVERIFY(trace.text().contains(QLatin1String("=> 3E   05   42   1A   ")));
    }

    void burstIsHandedOverInBufferSizedChunks()
    {
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 1));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        port.setInBufSize(500);
        QVERIFY(port.Connect());

        QList<int> sizes;
        QByteArray received;
        int depth = 0, maxDepth = 0;
        port.OnReadPacket = [&](const char *p, int n, quint32) {
            maxDepth = qMax(maxDepth, ++depth);
            sizes.append(n);
            received.append(p, n);
            if (sizes.size() == 1) {
                // A modal dialog inside the handler spins the loop; the rest must wait.
                QEventLoop loop;
                QTimer::singleShot(50, &loop, &QEventLoop::quit);
                loop.exec();
                QCOMPARE(sizes.size(), 1);
            }
            --depth;
        };

        QByteArray burst(600, Qt::Uninitialized);
        for (int i = 0; i < burst.size(); ++i)
            burst[i] = char(i * 7);
        QVERIFY(pty.write(burst));
        quint32 errors = 0;
        QTRY_COMPARE(port.GetState(errors).cbInQue, 600u); // all queued while suspended
        QVERIFY(sizes.isEmpty());

        port.setReadActive(true);
        QTRY_COMPARE(sizes, (QList<int>{500, 100}));
        QCOMPARE(received, burst);
        QCOMPARE(maxDepth, 1);
    }

    void waitFullBufferHandsOverFullBuffersOnly()
    {
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 1));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        port.setInBufSize(8);
        port.setWaitFullBuffer(true);
        QVERIFY(port.Connect());
        port.setReadActive(true);
        QList<QByteArray> chunks;
        port.OnReadPacket = [&](const char *p, int n, quint32) { chunks.append(QByteArray(p, n)); };

        QVERIFY(pty.write("abc"));
        QVERIFY(pty.write("defghij"));
        QTRY_COMPARE(chunks, (QList<QByteArray>{"abcdefgh"}));
        QVERIFY(pty.write("klmnop"));
        QTRY_COMPARE(chunks, (QList<QByteArray>{"abcdefgh", "ijklmnop"}));
    }

    void connectWithoutDeviceLeavesNoReader()
    {
        PosixDeviceProvider provider;
        TComPort port(&provider);
        port.setComNumber(200);
        QVERIFY(!port.Connect());
        QVERIFY(!port.Connected());
        QVERIFY(!port.hasReader());
        port.setReadActive(true);
        QVERIFY(!port.ReadActive());
        QCOMPARE(port.lastOpenError().kind, OpenError::Missing);
        QVERIFY(!port.WriteString("1"));
    }

    void closeEndsReaderThatNeverRan()
    {
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 1));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        QVERIFY(port.Connect());
        QVERIFY(port.hasReader());
        port.Close();
        QVERIFY(!port.Connected());
        QVERIFY(!port.hasReader());
        port.setReadActive(true);
        QVERIFY(!port.ReadActive());
        // The device and its lock are released: the port opens again at once.
        QVERIFY(port.Connect());
        QVERIFY(!port.ReadActive());
    }

    void comNumberChangeReopensOnlyForAnotherNumber()
    {
        TestPty a, b;
        QVERIFY(a.open());
        QVERIFY(b.open());
        QVERIFY(link(a, 3));
        QVERIFY(link(b, 4));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        port.setComNumber(3);
        QVERIFY(port.Connect());
        port.setReadActive(true);
        SerialDevice *first = port.device();

        port.setComNumber(3);
        QCOMPARE(port.device(), first);
        QVERIFY(port.ReadActive());

        port.setComNumber(4);
        QVERIFY(port.Connected());
        QVERIFY(port.device() != first);
        QCOMPARE(port.device()->path(), m_ports + QStringLiteral("/COM4"));
        QVERIFY(!port.ReadActive()); // the caller activates the new reader

        port.setComNumber(0); // the modem-line check's way of closing
        QVERIFY(!port.Connected());

        QStringList names;
        port.EnumComPorts(names);
        QCOMPARE(names, (QStringList{"COM3", "COM4"}));
    }

    void modemStateAndWrites()
    {
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 1));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        QCOMPARE(port.GetModemState(), 0u); // closed
        QVERIFY(port.Connect());
        // A pty has no modem lines: reported present, and marked unknown.
        QCOMPARE(port.GetModemState(), MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON);
        QVERIFY(!port.modemStateKnown());
        port.ToggleDTR(true); // no lines to drive, no failure either
        port.ToggleRTS(false);

        QVERIFY(!port.WriteBuffer(nullptr, 3));
        QVERIFY(!port.WriteBuffer("x", 0));
        QVERIFY(port.WriteString("12345", 3));
        QCOMPARE(pty.read(3), QByteArray("123"));
    }

    void hangUpClosesThePortOnce()
    {
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 1));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        QVERIFY(port.Connect());
        port.setReadActive(true);
        int lost = 0;
        bool connectedInCallback = true;
        port.onLinkLost = [&] {
            ++lost;
            connectedInCallback = port.Connected();
        };
        int chunks = 0;
        port.OnReadPacket = [&](const char *, int, quint32) { ++chunks; };

        QVERIFY(pty.write("ab"));
        QTRY_COMPARE(chunks, 1);
        pty.closeMaster();
        QTRY_COMPARE(lost, 1);
        QVERIFY(!connectedInCallback);
        QVERIFY(!port.Connected());
        QVERIFY(!port.hasReader());
        QTest::qWait(100); // a hung-up tty stays readable: no further reports may come
        QCOMPARE(lost, 1);
        // (Not re-opened here: another test process may be handed the same
        // /dev/pts number at once, so the stale link could open a live tty.)
    }

    void handlerMayClosePortFromInsideTheHandOver()
    {
        TestPty pty;
        QVERIFY(pty.open());
        QVERIFY(link(pty, 1));
        PosixDeviceProvider provider;
        TComPort port(&provider);
        QVERIFY(port.Connect());
        port.setReadActive(true);
        int chunks = 0;
        port.OnReadPacket = [&](const char *, int, quint32) {
            ++chunks;
            port.Close();
        };
        QVERIFY(pty.write("abc"));
        QTRY_COMPARE(chunks, 1);
        QVERIFY(!port.Connected());
        QVERIFY(pty.write("def"));
        QTest::qWait(50);
        QCOMPARE(chunks, 1);
        QVERIFY(port.Connect());
    }
};

QTEST_GUILESS_MAIN(TestComPort)
#include "tst_comport.moc"
