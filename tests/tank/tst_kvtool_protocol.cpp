// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool protocol on independently written protocol files: output, exit
// statuses and messages.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Run {
    int code = -1;
    QString out, err;
};

Run kvtool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KV_KVTOOL), args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString fixture(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("f.kvi"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size())
        return path;
    return QString();
}

const QByteArray kProtocol100(
    "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n"
    "[User_Option]\r\nCompanyName=#1041#1072#1082\r\nFirma=\r\nYear=#0050#0048#0050#0052\r\n"
    "UpDown2=250\r\nSN=004321\r\nLengthProbe=700\r\n"
    "[Point]\r\nStop_Point=2\r\n[Protocol_Date]\r\n"
    "Time0=0\r\nFilterN0=10\r\nliter0=0000,00\r\nStatus_Save0=Auto Save\r\n"
    "Time1=5\r\nFilterN1=1500\r\nliter1=0012,50\r\nStatus_Save1=User Save\r\n"
    "Time2=9\r\nFilterN2=3000\r\nliter2=25\r\nStatus_Save2=User Save\r\n");
} // namespace

class TestKvtoolProtocol : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plainOutput();
    void jsonOutput();
    void failures_data();
    void failures();
};

void TestKvtoolProtocol::plainOutput()
{
    QTemporaryDir dir;
    const QString path = fixture(dir, kProtocol100);
    const Run r = kvtool({QStringLiteral("protocol"), path});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("file: %1\nVersion: 100\nCompanyName: Бак\nFirma: \n"
                                   "ProizvMashine: \nTypeMashine: \nNameMashine: \nYear: 2024\n"
                                   "NamberMashine: \nNameUser: \nNambePlomb: \nLengthProbe: 700\n"
                                   "SN: 4321\nUpDown2: 250\nUpDown3: 0\nStop_Point: 2\n"
                                   "User points: 2\n1\t1500\t12,5\n2\t3000\t25\n")
                        .arg(path));
    QCOMPARE(r.err, QString());
}

void TestKvtoolProtocol::jsonOutput()
{
    QTemporaryDir dir;
    QByteArray legacy("[Protocol]\nMarking=OK\nVersion=99\n[User_Option]\nCompanyName=\xc1\xe0\xea"
                      "\xa8\n[Point]\nStop_Point=0\n[Protocol_Date]\nTime0=1\nFilterN0=7\n"
                      "liter0=0001,25\nStatus_Save0=User Save\n");
    const Run r =
        kvtool({QStringLiteral("protocol"), fixture(dir, legacy), QStringLiteral("--json")});
    QCOMPARE(r.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(o.value(QStringLiteral("Version")).toInt(), 99);
    QCOMPARE(o.value(QStringLiteral("CompanyName")).toString(), QStringLiteral("Бак"));
    const QJsonArray pts = o.value(QStringLiteral("userPoints")).toArray();
    QCOMPARE(pts.size(), 1);
    QCOMPARE(pts.at(0).toObject().value(QStringLiteral("N")).toInt(), 7);
    QCOMPARE(pts.at(0).toObject().value(QStringLiteral("litres")).toDouble(), 1.25);
    QCOMPARE(pts.at(0).toObject().value(QStringLiteral("litresText")).toString(),
             QStringLiteral("1,25"));
}

void TestKvtoolProtocol::failures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("errContains");
    const QString refusal = QStringLiteral("Данный протокол не является протоколом тарировки.\n"
                                           "Необходимо выбрать другой протокол.");
    QTest::newRow("Marking Error") << QByteArray("[Protocol]\r\nMarking=Error\r\n") << 4 << refusal;
    QTest::newRow("no [Protocol]") << QByteArray("[Point]\r\nStop_Point=1\r\n") << 4 << refusal;
    QTest::newRow("empty") << QByteArray() << 4 << refusal;
    QTest::newRow("garbage") << QByteArray("\x7f\x45\x4c\x46\x02\x01\x01\0\0\0", 10) << 4
                             << refusal;
    QTest::newRow("damaged text")
        << QByteArray("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\n"
                      "NamberMashine=#0065#00A6\r\n")
        << 5 << QStringLiteral("NamberMashine");
}

void TestKvtoolProtocol::failures()
{
    QFETCH(QByteArray, content);
    QFETCH(int, code);
    QFETCH(QString, errContains);
    QTemporaryDir dir;
    const QString path = fixture(dir, content);
    const Run r = kvtool({QStringLiteral("protocol"), path});
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(errContains), qPrintable(r.err));
    QCOMPARE(r.out, QString());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), content);
}

QTEST_GUILESS_MAIN(TestKvtoolProtocol)
#include "tst_kvtool_protocol.moc"
