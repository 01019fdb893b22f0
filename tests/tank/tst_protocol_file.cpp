// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The protocol operations on real files: creation, recognition, general data,
// points and the calibration table, the writers, and bad input. Fixtures are
// written as raw bytes here, not by the code under test.

#include "tank/protocol_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {

const QByteArray kHead("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// One point's seven keys as the recording writes them.
QByteArray pointLines(int i, const QByteArray &time, const QByteArray &n, const QByteArray &liter,
                      const QByteArray &status, const QByteArray &c = "30000")
{
    const QByteArray k = QByteArray::number(i);
    return "Time" + k + "=" + time + "\r\nFilterN" + k + "=" + n + "\r\nFilterC" + k + "=" + c +
           "\r\nSistem_Time" + k + "=9:05:07\r\nliter" + k + "=" + liter + "\r\nTetmo" + k +
           "=+23\r\nStatus_Save" + k + "=" + status + "\r\n";
}

struct Opened {
    std::unique_ptr<TDateProtokol> data = std::make_unique<TDateProtokol>();
    GeneralData general;
    PointsRead points;
    ProtocolStatus status;
};

Opened openFile(const QString &path)
{
    Opened o;
    o.status = ProtocolFile(path, 0).open(*o.data, o.general, o.points);
    return o;
}

std::vector<int> indices(const PointsRead &r)
{
    std::vector<int> v;
    for (const StoredPoint &p : r.points)
        v.push_back(p.index);
    return v;
}

} // namespace

class TestProtocolFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void createWritesOnlyProtocolSection();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void refusedFilesAreNeverWritten_data();
    void refusedFilesAreNeverWritten();
    void legacyVersionReadsCp1251();
    void damagedTextStopsOpeningAtItsKey();
    void pointsAndTable_data();
    void pointsAndTable();
    void openingOverwritesOnlyUserIndices();
    void stopPointBeyondTable();
    void hugeStopPointDoesNotHang();
    void stopPointWithoutRoomIsDamaged();
    void sparseFileReadsEveryStoredPoint();
    void operationsOnAbsentPointsChangeNothing_data();
    void operationsOnAbsentPointsChangeNothing();
    void missingFileIsAnIoFailure();
    void readOnlyProtocolIsRefused();
    void refusedFileKeepsTheOpenProtocol();
    void createStartsFromAnEmptyFile();
    void fiftyMegabyteFile();
    void writePointsInProtocolOrder();
    void deletePointShiftsLaterPoints();
    void litreCorrections();
    void unencodableTextStoredWithQuestionMark();
    void storedPointValues_data();
    void storedPointValues();
};

void TestProtocolFile::createWritesOnlyProtocolSection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.kvi"));
    auto data = std::make_unique<TDateProtokol>();
    data->DateOfCalibrate.fill(5);
    const ProtocolStatus st = ProtocolFile(path).create(*data);
    QVERIFY2(st.ok(), qPrintable(st.text));
    QCOMPARE(readAll(path), QByteArray("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n"));
    QCOMPARE(data->VersionKVI, 100);
    QCOMPARE(data->DateOfCalibrate[0], 0);
    QCOMPARE(data->DateOfCalibrate[10001], 0);

    TDateProtokol again;
    QVERIFY(ProtocolFile(path).recognise(again).ok());
    QCOMPARE(again.VersionKVI, 100);
}

void TestProtocolFile::textsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    QTest::addColumn<bool>("cutNote");
    QTest::newRow("Бак") << QStringLiteral("Бак") << QStringLiteral("Бак") << false;
    QTest::newRow("empty") << QString() << QString() << false;
    const QString t409 = QString(400, QChar(0x042F)) + QStringLiteral("ABC 12345");
    QTest::newRow("409 characters") << t409 << t409 << false;
    QTest::newRow("410 characters cut") << t409 + QStringLiteral("Z") << t409 << true;
    QTest::newRow("600 characters cut")
        << QString(600, QLatin1Char('q')) << QString(409, QLatin1Char('q')) << true;
}

void TestProtocolFile::textsRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    QFETCH(bool, cutNote);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, kHead));
    ProtocolFile pf(path, 0);
    const ProtocolStatus w = pf.writeGeneralData(
        {UserOptionValue::encoded("CompanyName", text), UserOptionValue::encoded("Firma", "Бак")},
        false);
    QVERIFY2(w.ok(), qPrintable(w.text));
    if (text == QStringLiteral("Бак"))
        QVERIFY(readAll(path).contains("\r\nCompanyName=#1041#1072#1082\r\n"));

    Opened o = openFile(path);
    QVERIFY2(o.status.ok(), qPrintable(o.status.text));
    QCOMPARE(o.general.CompanyName, readBack);
    QCOMPARE(o.general.Firma, QStringLiteral("Бак"));
    QCOMPARE(o.status.notes.size(), cutNote ? 1 : 0);
}

void TestProtocolFile::refusedFilesAreNeverWritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("Marking Error") << QByteArray("[Protocol]\r\nMarking=Error\r\nVersion=100\r\n");
    QTest::newRow("marking ok in lower case") << QByteArray("[Protocol]\r\nMarking=ok\r\n");
    QTest::newRow("no [Protocol]") << QByteArray("[User_Option]\r\nMarking=OK\r\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("only a BOM") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("UTF-16 text") << QByteArray("\xFF\xFE[\0P\0]\0", 8);
    QByteArray garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += char((i * 7919 + 13) % 256);
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("lines without =") << QByteArray("[Protocol]\r\nMarking OK\r\nVersion 100\r\n");
}

void TestProtocolFile::refusedFilesAreNeverWritten()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, content));

    Opened o = openFile(path);
    QCOMPARE(o.status.fault, ProtocolFault::NotProtocol);
    QCOMPARE(o.status.text, QStringLiteral("Данный протокол не является протоколом тарировки.\r"
                                           "Необходимо выбрать другой протокол."));
    ProtocolFile pf(path, 1);
    QCOMPARE(
        pf.writePoint(0, PointKeys::make(1, 2, 3, "0:00:01", "0000,00", "+1", "User Save")).fault,
        ProtocolFault::NotProtocol);
    QCOMPARE(pf.writeGeneralData({UserOptionValue::integer("UpDown2", 5)}, true).fault,
             ProtocolFault::NotProtocol);
    QCOMPARE(pf.deletePoint(0).fault, ProtocolFault::NotProtocol);
    QCOMPARE(pf.setLitres(0, 1).fault, ProtocolFault::NotProtocol);
    QCOMPARE(pf.addLitres(0, 1).fault, ProtocolFault::NotProtocol);
    QCOMPARE(readAll(path), content);
}

void TestProtocolFile::legacyVersionReadsCp1251()
{
    QByteArray letters;
    for (int b = 0xC0; b <= 0xFF; ++b)
        letters += char(b);
    QString expected;
    for (ushort u = 0x0410; u <= 0x044F; ++u)
        expected += QChar(u);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.kvi"));
    QVERIFY(
        writeRaw(path, "[Protocol]\nMarking=OK\nVersion=99\n[User_Option]\nCompanyName=" + letters +
                           "\nFirma=\xa8\xf1\xb8"
                           "A 1\nYear=2004\n"));
    Opened o = openFile(path);
    QVERIFY2(o.status.ok(), qPrintable(o.status.text));
    QCOMPARE(o.data->VersionKVI, 99);
    QCOMPARE(o.general.CompanyName, expected);
    QCOMPARE(o.general.Firma, QStringLiteral("сA 1")); // Ё and ё are lost
    QCOMPARE(o.general.Year, QStringLiteral("2004"));
}

void TestProtocolFile::damagedTextStopsOpeningAtItsKey()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, kHead +
                               "[User_Option]\r\nCompanyName=#1041\r\nFirma=#10x1\r\n"
                               "SN=123456\r\nLengthProbe=700\r\n[Point]\r\nStop_Point=0\r\n"
                               "[Protocol_Date]\r\n" +
                               pointLines(0, "1", "100", "0001,00", "User Save")));
    Opened o = openFile(path);
    QCOMPARE(o.status.fault, ProtocolFault::DamagedText);
    QCOMPARE(o.status.key, QStringLiteral("Firma"));
    QVERIFY(o.status.text.contains(QStringLiteral("\"Firma\"")));
    // What was read before the damaged key stays; nothing after it is read.
    QCOMPARE(o.general.CompanyName, QStringLiteral("Б"));
    QCOMPARE(o.data->SerialNamProtocol, 0);
    QCOMPARE(o.data->LengthProbe, QStringLiteral("0"));
    QVERIFY(o.data->UserPoints.empty());
}

void TestProtocolFile::pointsAndTable_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("stopPoint");
    QTest::addColumn<std::vector<int>>("used");
    QTest::addColumn<std::vector<int>>("skipped");
    QTest::addColumn<std::vector<int>>("userN"); // DateOfCalibrate[0..5]

    QByteArray seven;
    for (int i = 0; i <= 6; ++i)
        seven += pointLines(i, QByteArray::number(i * 10), QByteArray::number(100 + i),
                            i == 5 ? "abc" : "0012,50", i % 2 ? "User Save" : "Auto Save");
    QTest::newRow("litre abc skips point 5 only")
        << "[Point]\r\nStop_Point=6\r\n[Protocol_Date]\r\n" + seven << 6
        << std::vector<int>{0, 1, 2, 3, 4, 6} << std::vector<int>{5}
        << std::vector<int>{0, 101, 0, 103, 0, 0};

    QTest::newRow("no [Point] section: no points, no default point 0")
        << QByteArray() << 0 << std::vector<int>{} << std::vector<int>{}
        << std::vector<int>{0, 0, 0, 0, 0, 0};

    QByteArray users;
    for (int i = 0; i <= 3; ++i)
        users += pointLines(i, QByteArray::number(i), QByteArray::number(1000 + i),
                            i % 2 ? "12,5" : "0012,50", "User Save");
    QTest::newRow("Stop_Point 3, only user points")
        << "[Point]\r\nStop_Point=3\r\n[Protocol_Date]\r\n" + users << 3
        << std::vector<int>{0, 1, 2, 3} << std::vector<int>{}
        << std::vector<int>{1000, 1001, 1002, 1003, 0, 0};

    QTest::newRow("non-numeric Time and FilterN")
        << "[Point]\r\nStop_Point=2\r\n[Protocol_Date]\r\n" +
               pointLines(0, "x1", "5", "1", "User Save") +
               pointLines(1, "1", "", "1", "User Save") + pointLines(2, "2", "7", "2", "User Save")
        << 2 << std::vector<int>{2} << std::vector<int>{0, 1} << std::vector<int>{0, 0, 7, 0, 0, 0};

    QTest::newRow("Stop_Point -1")
        << "[Point]\r\nStop_Point=-1\r\n[Protocol_Date]\r\n" + users << -1 << std::vector<int>{}
        << std::vector<int>{} << std::vector<int>{0, 0, 0, 0, 0, 0};

    QTest::newRow("LF, blanks around =, other case, duplicates")
        << QByteArray("[point]\nstop_point = 1\n[PROTOCOL_DATE]\nTIME0 = 4\nfiltern0= 44 \n"
                      "LITER0 =0001,00\nstatus_save0=User Save\nFilterN0=99\n"
                      "Time1=5\nFilterN1=55\nliter1=2\nStatus_Save1=User Save\n[Point]\n"
                      "Stop_Point=0\n")
        << 1 << std::vector<int>{0, 1} << std::vector<int>{}
        << std::vector<int>{44, 55, 0, 0, 0, 0};

    QTest::newRow("points out of order, quoted values, a non-canonical key")
        << "[Point]\r\nStop_Point=2\r\n[Protocol_Date]\r\n" +
               pointLines(2, "2", "\"22\"", "'0002,00'", "User Save") +
               "FilterN01=77\r\nTime1=1\r\nFilterN1=11\r\nliter1=1\r\nStatus_Save1=User Save\r\n" +
               pointLines(0, "0", "5", "0", "Auto Save") + "filtern2=99\r\n"
        << 2 << std::vector<int>{0, 1, 2} << std::vector<int>{}
        << std::vector<int>{0, 11, 22, 0, 0, 0};

    QTest::newRow("keys without an index, a name or only digits name no point")
        << "[Point]\r\nStop_Point=1\r\n[Protocol_Date]\r\nFilterN=99\r\nTime=9\r\nliter=1\r\n"
           "Status_Save=User Save\r\n0=5\r\nFilterN0x=98\r\n" +
               pointLines(1, "1", "2147483647", "1", "User Save")
        << 1 << std::vector<int>{1} << std::vector<int>{}
        << std::vector<int>{0, 2147483647, 0, 0, 0, 0};

    // A key is found as a lookup finds it: letters in any case, every other
    // sign as it is (DEL is not "_").
    QTest::newRow("a status key with DEL for the underscore is no status")
        << "[Point]\r\nStop_Point=1\r\n[Protocol_Date]\r\n" +
               pointLines(0, "0", "5", "1", "User Save") +
               "TIME1=1\r\nFILTERN1=6\r\nLiTeR1=2\r\nStatus\x7fSave1=User Save\r\n"
        << 1 << std::vector<int>{0, 1} << std::vector<int>{} << std::vector<int>{5, 0, 0, 0, 0, 0};
}

void TestProtocolFile::pointsAndTable()
{
    QFETCH(QByteArray, body);
    QFETCH(int, stopPoint);
    QFETCH(std::vector<int>, used);
    QFETCH(std::vector<int>, skipped);
    QFETCH(std::vector<int>, userN);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, kHead + body));
    Opened o = openFile(path);
    QVERIFY2(o.status.ok(), qPrintable(o.status.text));
    QCOMPARE(o.points.stopPoint, stopPoint);
    QCOMPARE(indices(o.points), used);
    QCOMPARE(o.points.skipped, skipped);
    for (size_t i = 0; i < userN.size(); ++i)
        QCOMPARE(o.data->DateOfCalibrate[i], userN[i]);
    for (size_t i = userN.size(); i < o.data->DateOfCalibrate.size(); ++i)
        QCOMPARE(o.data->DateOfCalibrate[i], 0);
    std::vector<int> userIdx;
    for (const UserPoint &u : o.data->UserPoints) {
        userIdx.push_back(u.index);
        QCOMPARE(u.litres, o.data->LevelOfCalibrate[size_t(u.index)]);
        QCOMPARE(u.n, o.data->DateOfCalibrate[size_t(u.index)]);
    }
    for (const StoredPoint &p : o.points.points)
        if (p.isUserSave())
            QVERIFY(std::find(userIdx.begin(), userIdx.end(), p.index) != userIdx.end());
    if (body.isEmpty()) {
        QVERIFY(o.data->UserPoints.empty());
        QVERIFY(o.status.notes.isEmpty());
        QCOMPARE(o.points.nextIndex(), 0);
    }
    // Reading never writes.
    QCOMPARE(readAll(path), kHead + body);

    // The seven keys of every point read in the same pass are what key-by-key
    // reads give (the exports take them so).
    ProtocolReader r;
    QVERIFY(r.load(path).ok());
    std::vector<std::pair<int, PointKeys>> keys;
    const PointsRead again = r.points(nullptr, &keys, QStringLiteral("none"));
    std::vector<int> visited = indices(again);
    visited.insert(visited.end(), again.skipped.begin(), again.skipped.end());
    std::sort(visited.begin(), visited.end());
    std::vector<int> keyIndices;
    auto fields = [](const PointKeys &k) {
        return QStringList{k.Time,  k.FilterN, k.FilterC,    k.Sistem_Time,
                           k.liter, k.Tetmo,   k.Status_Save};
    };
    for (const auto &[i, k] : keys) {
        keyIndices.push_back(i);
        QCOMPARE(fields(k), fields(r.pointKeys(i, QStringLiteral("none"))));
    }
    QCOMPARE(keyIndices, visited);
}

void TestProtocolFile::openingOverwritesOnlyUserIndices()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, kHead +
                               "[User_Option]\r\nSN=004321\r\nLengthProbe=700\r\n"
                               "UpDown2=250\r\nUpDown3=abc\r\n[Point]\r\nStop_Point=1\r\n"
                               "[Protocol_Date]\r\n" +
                               pointLines(0, "1", "10", "0000,00", "Auto Save") +
                               pointLines(1, "2", "20", "0012,50", "User Save")));
    Opened o;
    o.data->LevelOfCalibrate.fill(7);
    o.data->DateOfCalibrate.fill(7);
    o.status = ProtocolFile(path).open(*o.data, o.general, o.points);
    QVERIFY(o.status.ok());
    QCOMPARE(o.data->DateOfCalibrate[0], 0);
    QCOMPARE(o.data->DateOfCalibrate[1], 20);
    QCOMPARE(o.data->DateOfCalibrate[10001], 0);
    QCOMPARE(o.data->LevelOfCalibrate[0], 7.0); // not a user point: left as it was
    QCOMPARE(o.data->LevelOfCalibrate[1], 12.5);
    QCOMPARE(o.data->SerialNamProtocol, 4321);
    QCOMPARE(o.data->LengthProbe, QStringLiteral("700"));
    QCOMPARE(o.general.UpDown2, 250);
    QCOMPARE(o.general.UpDown3, 0);
    QCOMPARE(o.data->UserPoints.size(), size_t(1));
}

void TestProtocolFile::stopPointBeyondTable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.kvi"));
    QByteArray body = "[Point]\r\nStop_Point=10002\r\n[Protocol_Date]\r\n";
    for (int i = 0; i <= 10002; ++i)
        body +=
            pointLines(i, QByteArray::number(i), QByteArray::number(i % 4096), "1", "User Save");
    QVERIFY(writeRaw(path, kHead + body));
    Opened o = openFile(path);
    QVERIFY2(o.status.ok(), qPrintable(o.status.text));
    QCOMPARE(o.status.notes,
             QStringList{"The protocol holds points up to index 10002. Only points 0..10000 "
                         "entered the calibration table; the others stay in the file and in the "
                         "point list."});
    QVERIFY(tableLimitNote(10002, 1).startsWith(
        QStringLiteral("Протокол содержит точки до номера 10002.")));
    QCOMPARE(o.points.points.size(), size_t(10003));
    QCOMPARE(o.data->DateOfCalibrate[10000], 10000 % 4096);
    QCOMPARE(o.data->DateOfCalibrate[10001], 0);
    QCOMPARE(o.data->UserPoints.size(), size_t(10003));
    QCOMPARE(o.data->UserPoints.back().index, 10002);
}

void TestProtocolFile::hugeStopPointDoesNotHang()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, kHead + "[Point]\r\nStop_Point=2147483000\r\n[Protocol_Date]\r\n" +
                               pointLines(0, "1", "10", "1", "User Save") +
                               pointLines(1, "2", "20", "2", "User Save") +
                               "Time2000000000=5\r\n"));
    // Reading two billion default points would hang until the test's time-out.
    Opened o = openFile(path);
    QVERIFY(o.status.ok());
    QCOMPARE(o.points.stopPoint, 2147483000);
    // The stored point far out is read (time 5, the other keys by default); the
    // notes say that Stop_Point names absent points and that it is beyond the table.
    QCOMPARE(indices(o.points), (std::vector<int>{0, 1, 2000000000}));
    QCOMPARE(o.status.notes.size(), 2);
    // Deleting in such a file is bounded the same way.
    QVERIFY(ProtocolFile(path).deletePoint(0).ok());
    ProtocolReader r;
    QVERIFY(r.load(path).ok());
    QCOMPARE(r.stopPoint(), 2147482999);
    QCOMPARE(r.pointKeys(0, "-").Time, QStringLiteral("2"));
    QCOMPARE(r.pointKeys(1999999999, "-").Time, QStringLiteral("5"));
    QCOMPARE(r.pointKeys(2000000000, "-").Time, QStringLiteral("-"));
}

// A Stop_Point of 2^31-1 leaves no index for the next point: the counter
// behind it would overflow, so the file is refused as damaged, and no write
// goes beyond the highest index either.
void TestProtocolFile::stopPointWithoutRoomIsDamaged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    const QByteArray content = kHead + "[Point]\r\nStop_Point=2147483647\r\n[Protocol_Date]\r\n" +
                               pointLines(0, "1", "10", "1", "User Save");
    QVERIFY(writeRaw(path, content));
    auto data = std::make_unique<TDateProtokol>();
    data->SerialNamProtocol = 77;
    GeneralData g;
    PointsRead points;
    const ProtocolStatus opened = ProtocolFile(path, 0).open(*data, g, points);
    QCOMPARE(opened.fault, ProtocolFault::DamagedText);
    QCOMPARE(opened.key, QStringLiteral("Stop_Point"));
    QVERIFY(opened.text.contains(QStringLiteral("2147483647")));
    QCOMPARE(data->SerialNamProtocol, 77); // the open protocol's record stays
    QCOMPARE(ProtocolFile(path, 0).readPoints(points).fault, ProtocolFault::DamagedText);

    const PointKeys k = PointKeys::make(1, 2, 3, "9:00:00", "0001,00", "+1", "User Save");
    for (const int index : {Protocol::kHighestIndex + 1, 2147483647, -1})
        QCOMPARE(ProtocolFile(path, 1).writePoint(index, k).fault, ProtocolFault::BadArgument);
    QCOMPARE(readAll(path), content);
}

void TestProtocolFile::sparseFileReadsEveryStoredPoint()
{
    // Points 0..10 and 101: reading goes by Stop_Point and the points present,
    // so point 101 is read, enters the table, and deletion and correction reach it.
    QByteArray body = "[Point]\r\nStop_Point=101\r\n[Protocol_Date]\r\n";
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 101})
        body += pointLines(i, QByteArray::number(i), QByteArray::number(100 + i), "1", "User Save");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sparse.kvi"));
    QVERIFY(writeRaw(path, kHead + body));
    Opened o = openFile(path);
    QVERIFY2(o.status.ok(), qPrintable(o.status.text));
    QCOMPARE(indices(o.points), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 101}));
    QCOMPARE(o.data->DateOfCalibrate[101], 201);
    QCOMPARE(o.data->DateOfCalibrate[50], 0);

    ProtocolFile pf(path);
    QVERIFY(pf.setLitres(101, 40).ok());
    QVERIFY(pf.addLitres(10, 2.5).ok());
    ProtocolReader r;
    QVERIFY(r.load(path).ok());
    QCOMPARE(r.pointKeys(101, "").liter, QStringLiteral("42,5"));
    QCOMPARE(r.pointKeys(10, "").liter, QStringLiteral("3,5"));
    QCOMPARE(r.pointKeys(9, "").liter, QStringLiteral("1"));

    // Deleting point 5 moves 6..10 to 5..9 and 101 to 100.
    QVERIFY(pf.deletePoint(5).ok());
    QVERIFY(r.load(path).ok());
    QCOMPARE(r.stopPoint(), 100);
    QCOMPARE(r.pointKeys(5, "-").FilterN, QStringLiteral("106"));
    QCOMPARE(r.pointKeys(9, "-").FilterN, QStringLiteral("110"));
    QCOMPARE(r.pointKeys(10, "-").FilterN, QStringLiteral("-"));
    QCOMPARE(r.pointKeys(100, "-").FilterN, QStringLiteral("201"));
    QCOMPARE(r.pointKeys(100, "-").liter, QStringLiteral("42,5"));
    QCOMPARE(r.pointKeys(101, "-").Time, QStringLiteral("-"));
    QVERIFY(pf.deletePoint(100).ok());
    Opened after = openFile(path);
    QCOMPARE(indices(after.points), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

void TestProtocolFile::operationsOnAbsentPointsChangeNothing_data()
{
    QTest::addColumn<int>("op"); // 0 delete, 1 setLitres, 2 addLitres
    QTest::addColumn<int>("index");
    QTest::newRow("delete beyond Stop_Point") << 0 << 4;
    QTest::newRow("delete in a gap") << 0 << 2;
    QTest::newRow("delete -1") << 0 << -1;
    QTest::newRow("set litres beyond Stop_Point") << 1 << 7;
    QTest::newRow("set litres in a gap") << 1 << 2;
    QTest::newRow("set litres of -1") << 1 << -1;
    // A negative start once clamped to 0 and changed every point.
    QTest::newRow("add litres from -1") << 2 << -1;
    // From a gap the points after it once moved by the whole value.
    QTest::newRow("add litres from a gap") << 2 << 2;
    QTest::newRow("add litres from beyond Stop_Point") << 2 << 4;
}

void TestProtocolFile::operationsOnAbsentPointsChangeNothing()
{
    QFETCH(int, op);
    QFETCH(int, index);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    const QByteArray content = kHead + "[Point]\r\nStop_Point=3\r\n[Protocol_Date]\r\n" +
                               pointLines(0, "0", "10", "0000,00", "User Save") +
                               pointLines(1, "1", "20", "0010,00", "User Save") +
                               pointLines(3, "3", "40", "0030,00", "User Save");
    QVERIFY(writeRaw(path, content));
    ProtocolFile pf(path);
    const ProtocolStatus st = op == 0   ? pf.deletePoint(index)
                              : op == 1 ? pf.setLitres(index, 99)
                                        : pf.addLitres(index, 5);
    QCOMPARE(st.fault, ProtocolFault::BadArgument);
    QVERIFY(!st.text.isEmpty());
    QCOMPARE(readAll(path), content);
}

void TestProtocolFile::missingFileIsAnIoFailure()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.kvi"));
    const QString gone = QStringLiteral("Unable to read %1: the file does not exist").arg(path);
    Opened o = openFile(path);
    QCOMPARE(o.status.fault, ProtocolFault::Io);
    QCOMPARE(o.status.text, gone);
    TDateProtokol data;
    ProtocolFile pf(path);
    const ProtocolStatus recognised = pf.recognise(data);
    QCOMPARE(recognised.fault, ProtocolFault::Io);
    QCOMPARE(recognised.text, gone);
    const ProtocolStatus w =
        pf.writePoint(0, PointKeys::make(1, 2, 3, "0:00:01", "0000,00", "+1", "User Save"));
    QCOMPARE(w.fault, ProtocolFault::Io);
    QVERIFY(w.text.startsWith(QStringLiteral("Unable to write to ") + path));
    QVERIFY(!QFile::exists(path));
    ProtocolReader reader;
    QCOMPARE(reader.load(path).fault, ProtocolFault::Io);
}

void TestProtocolFile::readOnlyProtocolIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ro.kvi"));
    const QByteArray content = kHead + "[Point]\r\nStop_Point=0\r\n[Protocol_Date]\r\n" +
                               pointLines(0, "0", "10", "0000,00", "User Save");
    QVERIFY(writeRaw(path, content));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ProtocolFile pf(path);
    const ProtocolStatus st =
        pf.writePoint(1, PointKeys::make(1, 2, 3, "0:00:01", "0000,00", "+1", "User Save"));
    QCOMPARE(st.fault, ProtocolFault::Io);
    QCOMPARE(st.text, QStringLiteral("Unable to write to ") + path);
    QCOMPARE(pf.setLitres(0, 5).fault, ProtocolFault::Io);
    TDateProtokol data;
    QCOMPARE(pf.create(data).fault, ProtocolFault::Io);
    QCOMPARE(readAll(path), content);
    QCOMPARE(QFileInfo(path).permissions() & QFile::WriteOwner, QFileDevice::Permissions());
}

void TestProtocolFile::refusedFileKeepsTheOpenProtocol()
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.kvi"));
    QVERIFY(writeRaw(good, kHead +
                               "[User_Option]\r\nSN=123456\r\nLengthProbe=700\r\n"
                               "[Point]\r\nStop_Point=0\r\n[Protocol_Date]\r\n" +
                               pointLines(0, "1", "1500", "0012,50", "User Save")));
    const QString refused = dir.filePath(QStringLiteral("refused.kvi"));
    QVERIFY(writeRaw(refused, "[Protocol]\r\nMarking=Error\r\nVersion=55\r\n"));
    const QString damaged = dir.filePath(QStringLiteral("damaged.kvi"));
    QVERIFY(writeRaw(damaged, "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\n"
                              "CompanyName=#12x4\r\nSN=999999\r\n"));

    Opened o = openFile(good);
    QVERIFY(o.status.ok());
    for (const QString &other : {refused, damaged}) {
        GeneralData general;
        PointsRead points;
        const ProtocolStatus st = ProtocolFile(other, 0).open(*o.data, general, points);
        QVERIFY(!st.ok());
        QCOMPARE(o.data->VersionKVI, 100);
        QCOMPARE(o.data->SerialNamProtocol, 123456);
        QCOMPARE(o.data->LengthProbe, QStringLiteral("700"));
        QCOMPARE(o.data->DateOfCalibrate[0], 1500);
        QCOMPARE(o.data->UserPoints.size(), size_t(1));
    }
    QCOMPARE(ProtocolFile(refused).recognise(*o.data).fault, ProtocolFault::NotProtocol);
    QCOMPARE(o.data->VersionKVI, 100);
}

void TestProtocolFile::createStartsFromAnEmptyFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("again.kvi"));
    QVERIFY(writeRaw(path, kHead +
                               "[User_Option]\r\nSN=123456\r\n[Point]\r\nStop_Point=0\r\n"
                               "[Protocol_Date]\r\n" +
                               pointLines(0, "1", "1500", "0012,50", "User Save")));
    TDateProtokol data;
    QVERIFY(ProtocolFile(path).create(data).ok());
    QCOMPARE(readAll(path), kHead);
}

void TestProtocolFile::fiftyMegabyteFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.kvi"));
    QByteArray junk;
    junk.reserve(50 * 1024 * 1024 + 100);
    const QByteArray line("Junk=0123456789012345678901234567890123456789\r\n");
    while (junk.size() < 50 * 1024 * 1024)
        junk += line;
    QVERIFY(writeRaw(path, kHead + "[Junk]\r\n" + junk));
    Opened o = openFile(path);
    QVERIFY2(o.status.ok(), qPrintable(o.status.text));
    QVERIFY(o.points.points.empty()); // no point is stored, none is invented
}

void TestProtocolFile::writePointsInProtocolOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    TDateProtokol data;
    ProtocolFile pf(path);
    QVERIFY(pf.create(data).ok());
    QVERIFY(pf.writePoint(0, PointKeys::make(5, 1500, 30123, "9:05:07", "0012,50", "+23",
                                             Protocol::kUserSave))
                .ok());
    QCOMPARE(readAll(path), kHead +
                                "[Protocol_Date]\r\nTime0=5\r\nFilterN0=1500\r\nFilterC0=30123\r\n"
                                "Sistem_Time0=9:05:07\r\nliter0=0012,50\r\nTetmo0=+23\r\n"
                                "Status_Save0=User Save\r\n[Point]\r\nStop_Point=0\r\n");
    // A step pair in one commit, Stop_Point ending at the higher index; a
    // rewritten point keeps its place.
    QVERIFY(
        pf.writePoints(
              {{1, PointKeys::make(6, 1500, 1, "9:05:08", "0012,50", "+23", Protocol::kAutoSave)},
               {2, PointKeys::make(7, 1600, 1, "9:05:09", "0012,50", "+23", Protocol::kAutoSave)}})
            .ok());
    QVERIFY(pf.writePoint(0, PointKeys::make(5, 1501, 30123, "9:05:07", "0012,50", "+23",
                                             Protocol::kUserSave))
                .ok());
    const QByteArray f = readAll(path);
    QVERIFY(f.indexOf("FilterN0=1501") < f.indexOf("Time1="));
    QVERIFY(f.endsWith("[Point]\r\nStop_Point=0\r\n"));
    PointsRead r;
    QVERIFY(pf.readPoints(r).ok());
    QCOMPARE(indices(r), (std::vector<int>{0}));
    QVERIFY(pf.writePoint(3, PointKeys::make(8, 1, 1, "", "1", "", Protocol::kAutoSave)).ok());
    QVERIFY(pf.readPoints(r).ok());
    QCOMPARE(indices(r), (std::vector<int>{0, 1, 2, 3}));
    const ProtocolStatus refused = pf.writePoint(-1, PointKeys());
    QCOMPARE(refused.fault, ProtocolFault::BadArgument);
    QCOMPARE(refused.text, QStringLiteral("Точку -1 нельзя записать в протокол: номер вне "
                                          "допустимых пределов 0..2147483645."));
}

void TestProtocolFile::deletePointShiftsLaterPoints()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QByteArray body = "[Point]\r\nStop_Point=5\r\n[Protocol_Date]\r\n";
    for (int i = 0; i <= 5; ++i)
        body += pointLines(i, QByteArray::number(i), QByteArray::number(100 + i), "1", "User Save",
                           QByteArray::number(500 + i));
    QVERIFY(writeRaw(path, kHead + body));
    ProtocolFile pf(path);
    QVERIFY(pf.deletePoint(2).ok());
    ProtocolReader r;
    QVERIFY(r.load(path).ok());
    QCOMPARE(r.stopPoint(), 4);
    for (int i = 0; i <= 4; ++i) {
        const int was = i < 2 ? i : i + 1;
        const PointKeys k = r.pointKeys(i, QStringLiteral("undefined"));
        QCOMPARE(k.Time, QString::number(was));
        QCOMPARE(k.FilterN, QString::number(100 + was));
        QCOMPARE(k.FilterC, QString::number(500 + was));
    }
    const PointKeys gone = r.pointKeys(5, QStringLiteral("undefined"));
    QCOMPARE(gone.Time, QStringLiteral("undefined"));
    QCOMPARE(gone.Status_Save, QStringLiteral("undefined"));
    QVERIFY(!readAll(path).contains("5="));
    QCOMPARE(pf.deletePoint(5).fault, ProtocolFault::BadArgument);
}

void TestProtocolFile::litreCorrections()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, kHead + "[Point]\r\nStop_Point=3\r\n[Protocol_Date]\r\n"
                                   "liter0=0001,00\r\nliter1=0012,50\r\nliter2=abc\r\n"
                                   "liter3=3\r\n"));
    ProtocolFile pf(path);
    QVERIFY(pf.addLitres(1, 1.25).ok());
    QVERIFY(pf.setLitres(0, 12.5).ok());
    ProtocolReader r;
    QVERIFY(r.load(path).ok());
    QCOMPARE(r.pointKeys(0, "").liter, QStringLiteral("12,5"));
    QCOMPARE(r.pointKeys(1, "").liter, QStringLiteral("13,75"));
    QCOMPARE(r.pointKeys(2, "").liter, QStringLiteral("abc")); // does not convert: left alone
    QCOMPARE(r.pointKeys(3, "").liter, QStringLiteral("4,25"));
}

void TestProtocolFile::unencodableTextStoredWithQuestionMark()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    QVERIFY(writeRaw(path, kHead));
    auto data = std::make_unique<TDateProtokol>();
    const ProtocolStatus st = ProtocolFile(path, 0).writeGeneralData(
        {UserOptionValue::encoded("NameUser", QStringLiteral("Ива✓")),
         UserOptionValue::plain("ZeroProbeLength", "01,2345"),
         UserOptionValue::integer("UpDown2", 120)},
        true, data.get());
    QVERIFY(st.ok());
    QCOMPARE(st.notes.size(), 1);
    QVERIFY(st.notes.front().contains(QStringLiteral("U+2713")));
    QCOMPARE(data->VersionKVI, 100);
    QVERIFY(readAll(path).endsWith("[User_Option]\r\nNameUser=#1048#1074#1072#0063\r\n"
                                   "ZeroProbeLength=01,2345\r\nUpDown2=120\r\n"));
    Opened o = openFile(path);
    QCOMPARE(o.general.NameUser, QStringLiteral("Ива?"));
}

// A stored point value as the documents and the table read it: a 32-bit
// integer, or litres in the forms the program writes and in any decimal form.
void TestProtocolFile::storedPointValues_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("integer"); // empty: not an integer
    QTest::addColumn<QString>("litres");  // empty: not litres
    QTest::newRow("field form") << QByteArray("0012,50") << "" << "12.5";
    QTest::newRow("general form") << QByteArray("12,5") << "" << "12.5";
    QTest::newRow("signs") << QByteArray("+12,5") << "" << "12.5";
    QTest::newRow("negative") << QByteArray(" -3 ") << "-3" << "-3";
    QTest::newRow("largest integer") << QByteArray("2147483647") << "2147483647" << "2147483647";
    QTest::newRow("smallest integer") << QByteArray("-2147483648") << "-2147483648"
                                      << "-2147483648";
    QTest::newRow("beyond 32 bits") << QByteArray("2147483648") << "" << "2147483648";
    QTest::newRow("15 digits") << QByteArray("123456789012,345") << "" << "123456789012.345";
    QTest::newRow("16 digits") << QByteArray("9999999999999,999") << "" << "9999999999999.999";
    QTest::newRow("empty") << QByteArray("") << "" << "";
    QTest::newRow("letters") << QByteArray("12a") << "" << "";
    QTest::newRow("letters after the comma") << QByteArray("12,5x") << "" << "";
}

void TestProtocolFile::storedPointValues()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, integer);
    QFETCH(QString, litres);
    const std::optional<qint32> i = storedPointInteger(stored);
    QCOMPARE(i ? QString::number(*i) : QString(), integer);
    const std::optional<double> l = storedPointLitres(stored);
    QCOMPARE(l.has_value(), !litres.isEmpty());
    if (l) // to the last bit: QCOMPARE of doubles is fuzzy
        QCOMPARE(QString::number(*l, 'g', 17), QString::number(litres.toDouble(), 'g', 17));
}

QTEST_GUILESS_MAIN(TestProtocolFile)
#include "tst_protocol_file.moc"
