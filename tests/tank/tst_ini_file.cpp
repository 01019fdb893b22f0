// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The INI container on real files: placement of written keys, lookups, the
// number rules, the read limit and the failure text.

#include "tank/ini_file.h"

#include <QFile>
#include <QRandomGenerator>
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

using Entries = std::vector<std::pair<QByteArray, QByteArray>>;

// The entries of every section of a text, read line by line the plain way
// (split at "\n", one "\r" dropped, the first "=" splits, blanks trimmed,
// enclosing quotes dropped): what the document's one-pass reading must give.
// Sections by name as first found; the lines before the first header are none.
std::vector<std::pair<QByteArray, Entries>> lineByLine(const QByteArray &text)
{
    std::vector<std::pair<QByteArray, Entries>> out;
    Entries *current = nullptr;
    QList<QByteArray> lines = text.split('\n');
    if (text.endsWith('\n'))
        lines.removeLast();
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray t = line.trimmed();
        if (t.startsWith('[')) {
            const qsizetype close = t.indexOf(']');
            const QByteArray name = t.mid(1, close < 0 ? -1 : close - 1).trimmed();
            bool seen = false;
            for (const auto &s : out)
                seen = seen || s.first.compare(name, Qt::CaseInsensitive) == 0;
            out.push_back({seen ? QByteArray("\x01seen") : name, {}});
            current = &out.back().second;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!current || eq < 0)
            continue;
        QByteArray value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.mid(1, value.size() - 2);
        current->push_back({line.left(eq).trimmed(), value});
    }
    return out;
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
    void entriesAsLineByLineReading_data();
    void entriesAsLineByLineReading();
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
    QTest::newRow("line ends become the file's, in the section written and the others")
        << QByteArray("[A]\r\nx=1\nq=2\r\r\n[B]\nz=3\n\r\n") << QByteArray("A") << QByteArray("y")
        << QByteArray("5") << QByteArray("[A]\r\nx=1\r\nq=2\r\r\ny=5\r\n[B]\r\nz=3\r\n\r\n");
    QTest::newRow("rewritten key in the middle of unchanged lines")
        << QByteArray("[A]\r\na=1\r\nb = 2\r\nc=3\r\n;x\r\nd=4") << QByteArray("A")
        << QByteArray("c") << QByteArray("9")
        << QByteArray("[A]\r\na=1\r\nb = 2\r\nc=9\r\n;x\r\nd=4\r\n");
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

void TestIniFile::entriesAsLineByLineReading_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("headers") << QByteArray("a=1\r\n  [S] x\r\nk=v\r\n\t\r[T\r\nq=1\r\nx[U]\r\n"
                                           "z=2\r\n [s]\r\nk=dup\r\n[]\r\n=e\r\n[V]");
    QTest::newRow("entries") << QByteArray("[S]\r\n k = v \r\n\"q\"='x'\r\na=b=c\r\nno equals\r\n"
                                           "e=\r\n=\r\nq=\"\r\nlong_key_beyond_sixteen_bytes="
                                           "and a long value too\r\nlast=line without end");
    QTest::newRow("line ends at every place of a sixteen-byte block")
        << QByteArray("[S]\nk=0\nkk=1\nkkk=12\nkkkk=123\nk=1234567890\nkey=123456789012\n"
                      "k0=12345678901234\n\n\n==\nx=\r\r\n");
    // Random texts of the signs that matter, with a seed so that a failure repeats.
    QRandomGenerator random(20261211);
    const char signs[] = "ab=[] \t\r\n\v\f\"'xS";
    for (int t = 0; t < 40; ++t) {
        QByteArray text("[S]\n");
        const int size = int(random.bounded(600));
        for (int i = 0; i < size; ++i)
            text += signs[random.bounded(int(sizeof signs) - 1)];
        QTest::addRow("random %d", t) << text;
    }
}

void TestIniFile::entriesAsLineByLineReading()
{
    QFETCH(QByteArray, text);
    for (const auto &[name, expected] : lineByLine(text)) {
        if (name.startsWith('\x01'))
            continue; // a later section of the same name: never found by it
        // Walked in the text as read, then in the lines built by a lookup.
        const IniDocument doc = IniDocument::parse(text);
        QVERIFY(doc.hasSection(name));
        for (int pass = 0; pass < 2; ++pass) {
            Entries got;
            doc.forEachEntry(name, [&](QByteArrayView k, QByteArrayView v) {
                got.push_back({k.toByteArray(), v.toByteArray()});
            });
            QCOMPARE(got, expected);
            (void)doc.find(name, "anything");
        }
        for (const auto &[key, value] : expected) {
            const QByteArray *found = doc.find(name, key);
            QVERIFY(found);
            bool first = true;
            for (const auto &[k, v] : expected)
                if (k.compare(key, Qt::CaseInsensitive) == 0) {
                    if (first)
                        QCOMPARE(*found, v);
                    first = false;
                }
        }
    }
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
