// The frame layer: CRC, request frames and their trace, and the reply assembler.

#include "link/frame_link.h"
#include "link/trace.h"

#include <QtTest>

class TestFrameLink : public QObject {
    Q_OBJECT

    struct Rig {
        StringTraceSink trace;
        QByteArrayList written;
        QString events; // M matched, D dispatched, E end of chunk, | next chunk
        QByteArrayList dispatched;
        FrameLink link;
        Rig()
            : link(&trace, [this](const QByteArray &f) {
                  written.append(f);
                  return true;
              })
        {
            link.onReplyMatched = [this] { events += QLatin1Char('M'); };
            link.onReplyAccepted = [this](const QByteArray &r) {
                events += QLatin1Char('D');
                dispatched.append(r);
            };
            link.onEndOfChunk = [this] { events += QLatin1Char('E'); };
        }
        void feed(const QByteArrayList &chunks)
        {
            for (int i = 0; i < chunks.size(); ++i) {
                if (i > 0)
                    events += QLatin1Char('|');
                link.FPortReadPacket(chunks[i].constData(), int(chunks[i].size()), 0);
            }
        }
    };

    static QByteArray dataReadReply()
    {
        return buildReply(5, 0x06, QByteArray::fromHex("17e803a01f"));
    }
    static QByteArray readParamReply() { return buildReply(5, 0x41, QByteArray(18, '\x01')); }

private Q_SLOTS:
    void crcCheckValue()
    {
        QCOMPARE(CalcCRC("123456789", 9), quint8(0xA1));
        QCOMPARE(CalcCRC("", 0), quint8(0));
    }

    void readSnRequestAndTrace()
    {
        Rig rig;
        rig.link.WriteComand(5, CommandTable.READ_SN);
        const quint8 crc = CalcCRC(QByteArray::fromHex("310542"));
        QCOMPARE(rig.written, QByteArrayList{QByteArray::fromHex("310542") + char(crc)});
        QCOMPARE(rig.trace.text(), QStringLiteral("<= 31  05  42  %1\r\n")
                                       .arg(uint(crc), 2, 16, QLatin1Char('0'))
                                       .toUpper());
        QCOMPARE(rig.link.ExpectedReplyLength, 12);
    }

    void expectationAndRestriction_data()
    {
        QTest::addColumn<bool>("restricted");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("sent");
        // Each row starts from the expectation of READ_PARAM (22).
        QTest::newRow("GET_INCL_LAN_ADR 0x85") << false << 0x85 << 5 << true;
        QTest::newRow("SET_INCL_LAN_ADR 0x86") << false << 0x86 << 5 << true;
        QTest::newRow("GET_FSM_CALC_PARAM") << false << 0x70 << 41 << true;
        QTest::newRow("not in the table leaves it") << false << 0x01 << 22 << true;
        QTest::newRow("restricted SET_CAPDAC_A") << true << 0x45 << 5 << false;
        QTest::newRow("restricted SET_CAPOFF") << true << 0x49 << 5 << false;
        QTest::newRow("restricted SET_SOND_LEN") << true << 0x4E << 5 << false;
        QTest::newRow("restricted SET_SOND_PAR") << true << 0x4F << 5 << false;
        QTest::newRow("restriction spares DATA_READ") << true << 0x06 << 9 << true;
        QTest::newRow("SET_CAPDAC_A unrestricted") << false << 0x45 << 5 << true;
    }
    void expectationAndRestriction()
    {
        QFETCH(bool, restricted);
        QFETCH(int, command);
        QFETCH(int, expected);
        QFETCH(bool, sent);
        Rig rig;
        rig.link.WriteComand(0xFF, CommandTable.READ_PARAM);
        rig.written.clear();
        rig.trace.clear();
        rig.link.RestrictedCommands = restricted;
        rig.link.WriteComand(7, quint8(command), QByteArray(1, '\x10'));
        QCOMPARE(rig.link.ExpectedReplyLength, expected);
        QCOMPARE(rig.written.size(), sent ? 1 : 0);
        QCOMPARE(rig.trace.text().isEmpty(), !sent);
        if (sent)
            QCOMPARE(rig.written.first(), buildRequest(7, quint8(command), QByteArray(1, '\x10')));
    }

    void assembler_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QString>("events");
        QTest::addColumn<int>("left"); // bytes kept in RxBuffer afterwards
        QTest::addColumn<bool>("frameError");
        QTest::addColumn<bool>("crcError");
        QTest::addColumn<QString>("marker"); // line that must be in the trace, or empty

        const QByteArray d = dataReadReply();
        const QByteArray p = readParamReply();
        QByteArray badCrc = d;
        badCrc[8] = char(badCrc[8] ^ 0x5A);
        QByteArray wrongLead = QByteArray::fromHex("3f0506") + d.mid(3, 5);
        wrongLead.append(char(CalcCRC(wrongLead)));

        QTest::newRow("9 bytes as 4 + 5")
            << 0x06 << QByteArrayList{d.left(4), d.mid(4)} << "E|MDE" << 0 << false << false << "";
        QTest::newRow("one chunk")
            << 0x06 << QByteArrayList{d} << "MDE" << 0 << false << false << "";
        QTest::newRow("22 while 9 expected, then 21 more: kept")
            << 0x06 << QByteArrayList{p, p.left(21)} << "E|E" << 43 << false << false << "";
        QTest::newRow("22 while 9 expected, then 22 more: discarded")
            << 0x06 << QByteArrayList{p, p} << "E|" << 0 << true << false << DiscardMarker;
        QTest::newRow("wrong last byte")
            << 0x06 << QByteArrayList{badCrc} << "E" << 0 << false << true << CrcErrorMarker;
        QTest::newRow("leading 0x00 discards the chunk")
            << 0x06 << QByteArrayList{QByteArray(1, '\0') + d} << "" << 0 << true << false
            << DiscardMarker;
        QTest::newRow("garbage, then a good reply")
            << 0x06 << QByteArrayList{QByteArray(1, '\0'), d} << "|MDE" << 0 << false << false
            << DiscardMarker;
        // A frame is a reply only when it starts with ">": right length and CRC are not enough.
        QTest::newRow("wrong lead of the right length is not a reply")
            << 0x06 << QByteArrayList{wrongLead} << "" << 0 << true << false << DiscardMarker;
        // A two-wire RS-485 adapter hands back what we sent: a 5-byte write
        // request with its right CRC, while a 5-byte reply is expected.
        QTest::newRow("own request echoed")
            << 0x86 << QByteArrayList{buildRequest(5, 0x86, QByteArray(1, '\x07'))} << "" << 0
            << true << false << DiscardMarker;
    }
    void assembler()
    {
        QFETCH(int, request);
        QFETCH(QByteArrayList, chunks);
        QFETCH(QString, events);
        QFETCH(int, left);
        QFETCH(bool, frameError);
        QFETCH(bool, crcError);
        QFETCH(QString, marker);

        Rig rig;
        rig.link.WriteComand(5, quint8(request));
        rig.trace.clear();
        rig.feed(chunks);

        QCOMPARE(rig.events, events);
        QCOMPARE(int(rig.link.RxBuffer.size()), left);
        QCOMPARE(rig.link.FrameError, frameError);
        QCOMPARE(rig.link.CrcError, crcError);
        if (!marker.isEmpty())
            QVERIFY2(rig.trace.text().contains(marker + QLatin1String("\r\n")),
                     qPrintable(rig.trace.text()));
        if (rig.dispatched.isEmpty()) {
            QVERIFY(rig.link.ReplyHex[1].isEmpty()); // no accepted reply, nothing filled
        } else {
            const QByteArray reply = rig.dispatched.first();
            QCOMPARE(rig.link.replyBytes(), reply);
            QCOMPARE(rig.link.ReplyLengthText, QString::number(reply.size()));
        }
    }

    void acceptedReplyFillsReplyHexAndTrace()
    {
        Rig rig;
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        rig.trace.clear();
        const QByteArray d = dataReadReply();
        rig.feed({d});
        QCOMPARE(rig.link.ReplyHex[1], QStringLiteral("3E"));
        QCOMPARE(rig.link.ReplyHex[4], QStringLiteral("17"));
        QCOMPARE(rig.link.ReplyHex[6], QStringLiteral("03"));
        QCOMPARE(rig.link.replyByte(5), 0xE8);
        QString expected = QStringLiteral("=> ");
        for (char c : d)
            expected +=
                QStringLiteral("%1   ").arg(uint(quint8(c)), 2, 16, QLatin1Char('0')).toUpper();
        QCOMPARE(rig.trace.text(), expected + QLatin1String("\r\n"));
        QCOMPARE(rig.link.RxBytes, d);

        rig.link.ClearReply();
        QCOMPARE(rig.link.ReplyLengthText, QStringLiteral("0"));
        QCOMPARE(rig.link.ReplyHex[50], QStringLiteral("0"));
        QCOMPARE(rig.link.replyByte(4), 0);
        QVERIFY(rig.link.replyBytes().isEmpty());
    }

    void bufferStaysBounded()
    {
        Rig rig;
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        const QByteArray noise(500, '\x3E');
        for (int i = 0; i < 20; ++i) {
            rig.link.FPortReadPacket(noise.constData(), int(noise.size()), 0);
            QCOMPARE(rig.link.RxBuffer.size(), 0);
            QVERIFY(rig.link.RxBytes.size() <= 255);
        }
        const QByteArray d = dataReadReply();
        rig.link.FPortReadPacket(d.constData(), int(d.size()), 0);
        QCOMPARE(rig.dispatched, QByteArrayList{d});
    }
};

QTEST_GUILESS_MAIN(TestFrameLink)
#include "tst_frame_link.moc"
