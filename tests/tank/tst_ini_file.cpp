// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The INI container on real files: placement of written keys, lookups, the
// number rules, the read limit and the failure text.

#include "tank/ini_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
void writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}
} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writePlacement_data();
    void writePlacement();
    void lookups_data();
    void lookups();
    void readInteger_data();
    void readInteger();
    void readFloat_data();
    void readFloat();
    void writeFloatGeneralForm();
    void readLimitCutsAt2047();
    void deleteKeyRevealsDuplicate();
    void writeFailureNamesFile();
    void commitKeepsSymlinkAndMode();
    void lineBreaksInValueCannotInjectKeys();
    void changesOnDiskAreSeenBetweenOperations();
};

void TestIniFile::writePlacement_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("rewrite keeps place and stored spelling")
        << QByteArray("[A]\r\nx=1\r\ny=2\r\n") << QByteArray("a") << QByteArray("X")
        << QByteArray("9") << QByteArray("[A]\r\nx=9\r\ny=2\r\n");
    QTest::newRow("new key at end of its section, before the blank line")
        << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\nz=3\r\n") << QByteArray("A") << QByteArray("w")
        << QByteArray("5") << QByteArray("[A]\r\nx=1\r\nw=5\r\n\r\n[B]\r\nz=3\r\n");
    QTest::newRow("new key after a closing comment, before the blank line")
        << QByteArray("[A]\r\nx=1\r\n; end of A\r\n\r\n[B]\r\n") << QByteArray("A")
        << QByteArray("w") << QByteArray("5")
        << QByteArray("[A]\r\nx=1\r\n; end of A\r\nw=5\r\n\r\n[B]\r\n");
    QTest::newRow("new section at end of file")
        << QByteArray("[A]\r\nx=1\r\n") << QByteArray("C") << QByteArray("k") << QByteArray("v")
        << QByteArray("[A]\r\nx=1\r\n[C]\r\nk=v\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray("Protocol") << QByteArray("Marking")
                                << QByteArray("OK") << QByteArray("[Protocol]\r\nMarking=OK\r\n");
    QTest::newRow("LF file stays LF")
        << QByteArray("[A]\nx=1\n") << QByteArray("A") << QByteArray("y") << QByteArray("2")
        << QByteArray("[A]\nx=1\ny=2\n");
    QTest::newRow("blanks around = found and rewritten")
        << QByteArray("[A]\r\n  x  =  1  \r\nq=0\r\n") << QByteArray("A") << QByteArray("x")
        << QByteArray("2") << QByteArray("[A]\r\nx=2\r\nq=0\r\n");
    QTest::newRow("first of duplicate sections is written")
        << QByteArray("[A]\r\nx=1\r\n[a]\r\nx=2\r\n") << QByteArray("A") << QByteArray("x")
        << QByteArray("3") << QByteArray("[A]\r\nx=3\r\n[a]\r\nx=2\r\n");
    QTest::newRow("BOM, comments and lines without = kept")
        << QByteArray("\xEF\xBB\xBF; note\r\n[A]\r\nno equals here\r\nx=1\r\n") << QByteArray("A")
        << QByteArray("y") << QByteArray("2")
        << QByteArray("\xEF\xBB\xBF; note\r\n[A]\r\nno equals here\r\nx=1\r\ny=2\r\n");
    QTest::newRow("missing last line end")
        << QByteArray("[A]\r\nx=1") << QByteArray("A") << QByteArray("y") << QByteArray("2")
        << QByteArray("[A]\r\nx=1\r\ny=2\r\n");
}

void TestIniFile::writePlacement()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    writeRaw(path, before);
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    ini.writeBytes(section, key, value);
    QCOMPARE(ini.commit(), QString());
    QCOMPARE(readAll(path), after);

    IniFile again(path);
    QCOMPARE(again.load(), QString());
    QCOMPARE(again.readBytes(section, key, "default"), value);
}

void TestIniFile::lookups_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray file("[Point]\r\nStop_Point=7\r\n[Protocol_Date]\r\nTime0 = 12\r\n"
                          "Time0=99\r\nStatus_Save0=User Save\r\n[Point]\r\nStop_Point=8\r\n");
    QTest::newRow("case of key") << file << QByteArray("Point") << QByteArray("STOP_POINT")
                                 << QByteArray("7");
    QTest::newRow("case of section")
        << file << QByteArray("point") << QByteArray("Stop_Point") << QByteArray("7");
    QTest::newRow("first duplicate key, blanks trimmed")
        << file << QByteArray("Protocol_Date") << QByteArray("time0") << QByteArray("12");
    QTest::newRow("inner blanks kept") << file << QByteArray("Protocol_Date")
                                       << QByteArray("Status_Save0") << QByteArray("User Save");
    QTest::newRow("missing key gives default")
        << file << QByteArray("Point") << QByteArray("Nothing") << QByteArray("dflt");
    QTest::newRow("missing section gives default")
        << file << QByteArray("None") << QByteArray("Stop_Point") << QByteArray("dflt");
    QTest::newRow("LF only") << QByteArray("[S]\nk=v\n") << QByteArray("S") << QByteArray("K")
                             << QByteArray("v");
    QTest::newRow("binary garbage") << QByteArray("\x00\xff[\x01=\x02\n\n==\r\r\n[S\nk=v", 19)
                                    << QByteArray("S") << QByteArray("k") << QByteArray("v");
}

void TestIniFile::lookups()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    writeRaw(path, content);
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    QCOMPARE(ini.readBytes(section, key, "dflt"), expected);
    QVERIFY(!ini.dirty());
}

void TestIniFile::readInteger_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("123") << 123;
    QTest::newRow("negative") << QByteArray("-1") << -1;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("beyond 32 bits") << QByteArray("2147483648") << -5;
    QTest::newRow("letters") << QByteArray("abc") << -5;
    QTest::newRow("trailing letters") << QByteArray("12abc") << -5;
    QTest::newRow("decimal") << QByteArray("1,5") << -5;
    QTest::newRow("empty") << QByteArray("") << -5;
}

void TestIniFile::readInteger()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    writeRaw(path, "[S]\r\nk=" + stored + "\r\n");
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    QCOMPARE(ini.readInteger("S", "k", -5), expected);
}

void TestIniFile::readFloat_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<double>("expected");
    QTest::newRow("recording form") << QByteArray("0012,50") << 12.5;
    QTest::newRow("shortest form") << QByteArray("12,5") << 12.5;
    QTest::newRow("integer") << QByteArray("7") << 7.0;
    QTest::newRow("full stop is not the separator") << QByteArray("12.5") << -1.0;
    QTest::newRow("letters") << QByteArray("abc") << -1.0;
    QTest::newRow("empty") << QByteArray("") << -1.0;
}

void TestIniFile::readFloat()
{
    QFETCH(QByteArray, stored);
    QFETCH(double, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    writeRaw(path, "[S]\r\nk=" + stored + "\r\n");
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    QCOMPARE(ini.readFloat("S", "k", -1), expected);
}

void TestIniFile::writeFloatGeneralForm()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    ini.writeFloat("S", "a", 12.5);
    ini.writeFloat("S", "b", 100);
    ini.writeFloat("S", "c", 0.1 + 0.2);
    ini.writeInteger("S", "d", -42);
    QCOMPARE(ini.commit(), QString());
    QCOMPARE(readAll(path), QByteArray("[S]\r\na=12,5\r\nb=100\r\nc=0,3\r\nd=-42\r\n"));
}

void TestIniFile::readLimitCutsAt2047()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    writeRaw(path,
             "[S]\r\nlong=" + QByteArray(3000, 'x') + "\r\nfit=" + QByteArray(2047, 'y') + "\r\n");
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    bool cut = false;
    QCOMPARE(ini.readBytes("S", "long", "", &cut), QByteArray(2047, 'x'));
    QVERIFY(cut);
    QCOMPARE(ini.readBytes("S", "fit", "", &cut), QByteArray(2047, 'y'));
    QVERIFY(!cut);
    QCOMPARE(ini.readString("S", "long", QString()).size(), 2047);
}

void TestIniFile::deleteKeyRevealsDuplicate()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    writeRaw(path, "[S]\r\nk=1\r\nm=2\r\nK=3\r\n");
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    ini.deleteKey("T", "k"); // no such section: nothing to write
    QVERIFY(!ini.dirty());
    ini.deleteKey("S", "k");
    QCOMPARE(ini.readBytes("S", "k", "none"), QByteArray("3"));
    ini.deleteKey("S", "missing");
    QCOMPARE(ini.commit(), QString());
    QCOMPARE(readAll(path), QByteArray("[S]\r\nm=2\r\nK=3\r\n"));
}

void TestIniFile::writeFailureNamesFile()
{
    QTemporaryDir dir;
    // A folder that does not exist cannot take the temporary file (also as root).
    const QString path = dir.filePath(QStringLiteral("gone/p.kvi"));
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    ini.writeInteger("S", "k", 1);
    QCOMPARE(ini.commit(), QStringLiteral("Unable to write to ") + path);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestIniFile::commitKeepsSymlinkAndMode()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.kvi"));
    const QString link = dir.filePath(QStringLiteral("link.kvi"));
    writeRaw(real, "[S]\r\nk=1\r\n");
    QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(QFile::link(real, link));
    IniFile ini(link);
    QCOMPARE(ini.load(), QString());
    ini.writeInteger("S", "k", 2);
    QCOMPARE(ini.commit(), QString());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(real), QByteArray("[S]\r\nk=2\r\n"));
    // Owner, group and other bits (Qt's "user" bits mirror the owner's).
    QCOMPARE(int(QFile::permissions(real) & 0x7077), int(QFile::ReadOwner | QFile::WriteOwner));
    // No temporary file is left beside the protocol.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestIniFile::lineBreaksInValueCannotInjectKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    IniFile ini(path);
    QCOMPARE(ini.load(), QString());
    ini.writeString("S", "k", QStringLiteral("a\r\n[Protocol]\r\nMarking=OK"));
    QCOMPARE(ini.commit(), QString());
    QCOMPARE(readAll(path), QByteArray("[S]\r\nk=a  [Protocol]  Marking=OK\r\n"));
}

void TestIniFile::changesOnDiskAreSeenBetweenOperations()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kvi"));
    writeRaw(path, "[S]\r\nk=1\r\n");
    for (const QByteArray &next : {QByteArray("[S]\r\nk=2\r\n"), QByteArray("[S]\r\nk=3\r\n")}) {
        {
            IniFile ini(path);
            QCOMPARE(ini.load(), QString());
            ini.writeBytes("S", "m", "x");
            QCOMPARE(ini.commit(), QString());
        }
        // Another program rewrites the file in place, same size.
        writeRaw(path, next + "m=y\r\n");
        IniFile ini(path);
        QCOMPARE(ini.load(), QString());
        QCOMPARE(ini.readBytes("S", "k", ""), next.mid(7, 1));
        QCOMPARE(ini.readBytes("S", "m", ""), QByteArray("y"));
    }
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
