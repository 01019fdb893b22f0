// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The frame layer: CRC, request frames and their trace, and the reply assembler.

#include "common/scheduler.h"
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
        // A two-wire RS-485 adapter hands back what we sent, with its right
        // CRC. It is skipped: not a reply, not noise, and no sign that the
        // sensor is there.
        const QByteArray echo86 = buildRequest(5, 0x86);
        const QByteArray reply86 = buildReply(5, 0x86, QByteArray(1, '\0'));
        QTest::newRow("own request echoed, no reply")
            << 0x86 << QByteArrayList{echo86} << "" << 0 << false << false << "";
        QTest::newRow("echo and reply in one chunk")
            << 0x86 << QByteArrayList{echo86 + reply86} << "MDE" << 0 << false << false << "";
        QTest::newRow("echo split, its tail with the reply's head")
            << 0x86 << QByteArrayList{echo86.left(2), echo86.mid(2) + reply86.left(2), reply86.mid(2)}
            << "|E|MDE" << 0 << false << false << "";
        const QByteArray echo06 = buildRequest(5, 0x06);
        QTest::newRow("echo of a poll, then the 9-byte reply")
            << 0x06 << QByteArrayList{echo06, d} << "|MDE" << 0 << false << false << "";
        // Only the request just sent is an echo; another frame starting with
        // "1" is noise.
        QTest::newRow("someone else's request is noise")
            << 0x06 << QByteArrayList{buildRequest(7, 0x06)} << "" << 0 << true << false
            << DiscardMarker;
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

    // One request on the line at a time: what is asked while a reply is
    // awaited goes out, in order, when that reply is in or its time-out passed.
    void holdsRequestsWhileAReplyIsAwaited()
    {
        // The clock outlives the link, whose destructor cancels its time-out.
        SimulatedScheduler clock;
        Rig rig;
        rig.link.setScheduler(&clock);
        auto sent = [&] {
            QList<int> commands;
            for (const QByteArray &f : rig.written)
                commands << quint8(f.at(2));
            return commands;
        };

        rig.link.WriteComand(5, CommandTable.READ_PARAM);
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        rig.link.WriteComand(5, CommandTable.GET_FSM_CALC_PARAM);
        QCOMPARE(sent(), (QList<int>{0x41}));
        QCOMPARE(rig.link.ExpectedReplyLength, 22); // the held ones have not touched it
        QCOMPARE(rig.link.heldRequests(), 2);

        // A request the dispatch makes waits behind the ones held before it.
        rig.link.onReplyAccepted = [&](const QByteArray &r) {
            rig.dispatched.append(r);
            if (quint8(r.at(2)) == 0x41)
                rig.link.WriteComand(5, CommandTable.GET_EXT_PARAM);
        };
        const QByteArray param = readParamReply();
        rig.feed({param.left(10)});
        QCOMPARE(sent().size(), 1); // a partial reply keeps the line busy
        rig.feed({param.mid(10)});
        QCOMPARE(rig.dispatched.size(), 1);
        QCOMPARE(sent(), (QList<int>{0x41, 0x06}));
        QCOMPARE(rig.link.ExpectedReplyLength, 9);

        // A reply that fails its CRC ends the wait as well.
        QByteArray bad = dataReadReply();
        bad[bad.size() - 1] = char(~bad.back());
        rig.feed({bad});
        QVERIFY(rig.link.CrcError);
        QCOMPARE(sent(), (QList<int>{0x41, 0x06, 0x70}));

        // No reply: the next request goes out when the time-out has passed.
        const int timeout = FrameLink::replyTimeoutMs(4, 41, 19200);
        QCOMPARE(timeout, FrameLink::TurnaroundMs + 24); // 450 bits at 19200 bit/s
        clock.advance(timeout - 1);
        QCOMPARE(sent().size(), 3);
        clock.advance(1);
        QCOMPARE(sent(), (QList<int>{0x41, 0x06, 0x70, 0x60}));
        QVERIFY(rig.link.awaitingReply());
        QCOMPARE(rig.link.heldRequests(), 0);
    }

    // The line is free once the reply is whole: a handler that keeps a message
    // open for 10 s while timers go on asking sends each request when it is
    // made (traced then), one reply time-out apart when no reply can be read
    // meanwhile, and nothing is left to go out after the message closes.
    void dispatchHoldsNothing()
    {
        SimulatedScheduler clock;
        Rig rig;
        rig.link.setScheduler(&clock);
        const int timeout = FrameLink::replyTimeoutMs(4, 8, 19200);
        QList<qint64> sentAt;
        rig.link.setWriter([&](const QByteArray &f) {
            rig.written.append(f);
            sentAt << clock.nowMs();
            return true;
        });
        rig.link.WriteComand(5, CommandTable.SET_AZIMUTH, QByteArray(4, '\0'));
        int tracedInMessage = 0;
        rig.link.onReplyAccepted = [&](const QByteArray &) {
            rig.trace.clear();
            // The message is open; the tilt timer asks every 250 ms.
            for (int ms = 0; ms < 10000; ms += 250) {
                rig.link.WriteComand(5, CommandTable.GET_INCLINOMETER_DATA);
                clock.advance(250);
            }
            tracedInMessage = int(rig.trace.text().count(QLatin1String("<= ")));
        };
        rig.feed({buildReply(5, CommandTable.SET_AZIMUTH, QByteArray(1, '\0'))});
        QCOMPARE(rig.written.size(), 41);
        QCOMPARE(tracedInMessage, 40);
        for (int i = 1; i < rig.written.size(); ++i)
            QCOMPARE(sentAt[i] - sentAt[1], qint64(250 * (i - 1)));
        QVERIFY(timeout < 250);
        QCOMPARE(rig.link.heldRequests(), 0);
        clock.advance(1000);
        QCOMPARE(rig.written.size(), 41);
    }

    // A held request waits for the reply's time-out: 100 ms turnaround and the
    // 16 bytes of READ_SN's request and reply (160 bits) at the line speed,
    // rounded up to the millisecond; a speed that is not positive keeps 19200.
    void replyTimeoutFollowsLineSpeed_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("timeout");
        QTest::newRow("19200 bit/s, 8.3 ms") << 19200 << 109;
        QTest::newRow("9600 bit/s, 16.7 ms") << 9600 << 117;
        QTest::newRow("10000 bit/s, 16 ms whole") << 10000 << 116;
        QTest::newRow("0 keeps 19200") << 0 << 109;
        QTest::newRow("-9600 keeps 19200") << -9600 << 109;
    }

    void replyTimeoutFollowsLineSpeed()
    {
        QFETCH(int, speed);
        QFETCH(int, timeout);
        SimulatedScheduler clock;
        Rig rig;
        rig.link.setScheduler(&clock);
        rig.link.setLineSpeed(speed);
        rig.link.WriteComand(5, CommandTable.READ_SN);
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        clock.advance(timeout - 1);
        QCOMPARE(rig.written.size(), 1);
        clock.advance(1);
        QCOMPARE(rig.written.size(), 2);
    }

    // Nothing asked of a closed or lost line goes out later; a request that
    // never reached the line, or one the restriction suppresses, keeps
    // nothing waiting.
    void closedLineDropsHeldRequests()
    {
        // The clock outlives the link, whose destructor cancels its time-out.
        SimulatedScheduler clock;
        bool otherTaskRan = false; // another part of the program's task, the clock's first
        clock.schedule(60000, [&] { otherTaskRan = true; });
        Rig rig;
        rig.link.setScheduler(&clock);
        rig.link.WriteComand(5, CommandTable.GET_AXIS_K);
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        rig.link.ResetLine();
        QVERIFY(!rig.link.awaitingReply());
        QCOMPARE(rig.link.heldRequests(), 0);
        clock.advance(1000);
        QCOMPARE(rig.written.size(), 1);
        rig.link.WriteComand(0xFF, CommandTable.READ_PARAM); // the new search goes at once
        QCOMPARE(rig.written.size(), 2);
        rig.link.ResetLine();

        bool lineUp = false;
        rig.link.setWriter([&](const QByteArray &f) {
            rig.written.append(f);
            return lineUp;
        });
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        rig.link.WriteComand(5, CommandTable.READ_SN);
        QCOMPARE(rig.written.size(), 4);
        QVERIFY(!rig.link.awaitingReply());

        lineUp = true;
        rig.link.RestrictedCommands = true;
        rig.link.WriteComand(5, CommandTable.READ_SN);
        rig.link.WriteComand(5, CommandTable.SET_CAPDAC_A, QByteArray(1, '\x14'));
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        QCOMPARE(rig.written.size(), 5);
        rig.feed({buildReply(5, 0x42, QByteArray(8, '\x01'))});
        // SET_CAPDAC_A's turn set the expectation and sent nothing; DATA_READ went.
        QCOMPARE(rig.written.size(), 6);
        QCOMPARE(quint8(rig.written.last().at(2)), CommandTable.DATA_READ);
        QCOMPARE(rig.link.ExpectedReplyLength, 9);

        // The link cancels only its own time-outs, never a task of another
        // part of the program.
        rig.feed({dataReadReply()});
        rig.link.ResetLine();
        clock.advance(60000);
        QVERIFY(otherTaskRan);
    }
};

QTEST_GUILESS_MAIN(TestFrameLink)
#include "tst_frame_link.moc"
