// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool table: the user points of a protocol as CSV and JSON, read back from
// the files, and the same pairs in the same order as the .wlp table.

#include "support/tool_process.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {
ToolRun kvtool(const QStringList &args)
{
    return runTool(QStringLiteral(KVTOOL), args);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Points 0..6: an auto-saved step, user points in the recording's and the
// editor's litre forms, a user point whose N does not convert (left out), and
// the end pair.
const QByteArray
    kProtocol("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\nUpDown2=250\r\n"
              "[Point]\r\nStop_Point=6\r\n[Protocol_Date]\r\n"
              "Time0=0\r\nFilterN0=10\r\nliter0=0000,00\r\nStatus_Save0=Auto Save\r\n"
              "Time1=5\r\nFilterN1=1500\r\nliter1=0012,50\r\nStatus_Save1=User Save\r\n"
              "Time2=7\r\nFilterN2=1900\r\nliter2=0018,00\r\nStatus_Save2=Auto Save\r\n"
              "Time3=9\r\nFilterN3=x12\r\nliter3=0020,00\r\nStatus_Save3=User Save\r\n"
              "Time4=12\r\nFilterN4=3000\r\nliter4=27,5\r\nStatus_Save4=User Save\r\n"
              "Time5=15\r\nFilterN5=4095\r\nliter5=0100,00\r\nStatus_Save5=User Save\r\n"
              "Time6=15\r\nFilterN6=4095\r\nliter6=0100,00\r\nStatus_Save6=Save Before Exit\r\n");
} // namespace

class TstKvtoolTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void csvReadsBack_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full stop") << QStringList{}
                                   << QStringLiteral("level_code,litres\n1500,12.5\n3000,27.5\n"
                                                     "4095,100\n");
        QTest::newRow("decimal comma")
            << QStringList{QStringLiteral("--decimal-comma")}
            << QStringLiteral("level_code;litres\n1500;12,5\n3000;27,5\n4095;100\n");
    }
    void csvReadsBack()
    {
        QFETCH(QStringList, flags);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString protocol = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(protocol, kProtocol));

        // Without -o the table goes beside the protocol and its path is printed.
        const ToolRun r = kvtool(QStringList{QStringLiteral("table"), protocol} + flags);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exitCode, 0);
        const QString path = dir.filePath(QStringLiteral("tank.csv"));
        QCOMPARE(r.out, path + QLatin1Char('\n'));
        QCOMPARE(QString::fromUtf8(readAll(path)), expected);
    }

    void jsonReadsBackAndMatchesTheWlpTable()
    {
        QTemporaryDir dir;
        const QString protocol = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(protocol, kProtocol));

        const QString json = dir.filePath(QStringLiteral("out.json"));
        const ToolRun r = kvtool({QStringLiteral("table"), protocol, QStringLiteral("--format"),
                                  QStringLiteral("json"), QStringLiteral("-o"), json});
        QCOMPARE(r.exitCode, 0);
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(readAll(json), &pe);
        QCOMPARE(pe.error, QJsonParseError::NoError);
        QVERIFY(doc.isArray());
        QStringList pairs;
        for (const QJsonValue &v : doc.array()) {
            const QJsonObject o = v.toObject();
            QCOMPARE(o.keys(),
                     (QStringList{QStringLiteral("level_code"), QStringLiteral("litres")}));
            pairs << QString::number(o.value(QStringLiteral("level_code")).toInt())
                  << QString::number(o.value(QStringLiteral("litres")).toDouble());
        }
        QCOMPARE(pairs, (QStringList{QStringLiteral("1500"), QStringLiteral("12.5"),
                                     QStringLiteral("3000"), QStringLiteral("27.5"),
                                     QStringLiteral("4095"), QStringLiteral("100")}));

        // The .wlp table holds the same points in the same order (its litres
        // are whole numbers).
        const QString wlp = dir.filePath(QStringLiteral("t.wlp"));
        QCOMPARE(kvtool({QStringLiteral("wlp"), protocol, QStringLiteral("--integer-levels"),
                         QStringLiteral("--prefix"), QString(), QStringLiteral("--suffix"),
                         QString(), QStringLiteral("-o"), wlp})
                     .exitCode,
                 0);
        QCOMPARE(QString::fromLocal8Bit(readAll(wlp)), QStringLiteral("1500:12:3000:27:4095:100"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("unknown format")
            << QStringList{QStringLiteral("--format"), QStringLiteral("xml")} << 2;
        QTest::newRow("comma in JSON")
            << QStringList{QStringLiteral("--format"), QStringLiteral("json"),
                           QStringLiteral("--decimal-comma")}
            << 2;
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QTemporaryDir dir;
        const QString protocol = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(protocol, kProtocol));
        const ToolRun r = kvtool(QStringList{QStringLiteral("table"), protocol} + args);
        QCOMPARE(r.exitCode, code);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("tank.csv"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("tank.json"))));
    }

    void notAProtocolIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.kvi"));
        QVERIFY(writeFixture(path, "[Protocol]\nMarking=NO\n"));
        const ToolRun r =
            kvtool({QStringLiteral("table"), path, QStringLiteral("-o"), QStringLiteral("-")});
        QCOMPARE(r.exitCode, 4);
        QCOMPARE(r.out, QString());
    }
};

QTEST_GUILESS_MAIN(TstKvtoolTable)
#include "tst_kvtool_table.moc"
