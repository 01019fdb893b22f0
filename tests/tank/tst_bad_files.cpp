// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Files from outside in shapes no protocol or settings file has: far too large,
// a million keys, a line of a megabyte, NUL bytes, a folder, a named pipe. The
// protocol reader and the settings store refuse them with a message or read
// them within their bounds; neither waits on a pipe; the program goes on.

#include "support/program_harness.h"
#include "tank/ini_file.h"
#include "tank/Protocol_Options_U.h"
#include "tank/ini_file.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

namespace {

const QByteArray kHead("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n");

QByteArray pointKeys(int i, int n, const char *litres)
{
    const QByteArray k = QByteArray::number(i);
    return "Time" + k + "=" + k + "\r\nFilterN" + k + "=" + QByteArray::number(n) + "\r\nFilterC" +
           k + "=30000\r\nSistem_Time" + k + "=0:00:00\r\nliter" + k + "=" + litres + "\r\nTetmo" +
           k + "=+20\r\nStatus_Save" + k + "=User Save\r\n";
}

/// Makes `path` in the given shape; returns what the shape is about.
bool makeShape(const QString &shape, const QString &path, const QByteArray &good)
{
    if (shape == "folder")
        return QDir().mkpath(path);
    if (shape == "fifo")
        return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (shape == "100 MB" || shape == "64 MB and 1 byte") // sparse: no disk is filled
        return f.write(good) == good.size() &&
               f.resize(shape == "100 MB" ? 100LL * 1024 * 1024 : 64LL * 1024 * 1024 + 1);
    QByteArray bytes = good;
    if (shape == "million keys") {
        bytes += "[Protocol_Date]\r\n";
        for (int i = 0; i < 1000000; ++i)
            bytes += "Key" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
    } else if (shape == "2.1 million lines") {
        bytes += QByteArray("a=1\r\n").repeated(2100000);
    } else if (shape == "1 MB line") {
        bytes += "[User_Option]\r\nCompanyName=" + QByteArray("#0055").repeated(200000) + "\r\n";
    } else if (shape == "NUL bytes") {
        bytes += QByteArray("\0\0[Garbage\0]\r\nkey\0=\0value\r\n", 28);
    }
    return f.write(bytes) == bytes.size();
}

} // namespace

class TstBadFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void protocol_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("refusal"); // empty: the file is read
        QTest::newRow("100 MB") << "100 MB"
                                << "the file is larger than 64 MB";
        QTest::newRow("64 MB and 1 byte") << "64 MB and 1 byte"
                                          << "the file is larger than 64 MB";
        QTest::newRow("folder") << "folder"
                                << "it is a folder";
        QTest::newRow("named pipe") << "fifo"
                                    << "it is not a regular file";
        QTest::newRow("million keys") << "million keys" << QString();
        QTest::newRow("2.1 million lines") << "2.1 million lines"
                                           << "the file has more than 2000000 lines";
        QTest::newRow("1 MB line") << "1 MB line" << QString();
        QTest::newRow("NUL bytes") << "NUL bytes" << QString();
    }
    void protocol()
    {
        QFETCH(QString, shape);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.kvi");
        const QByteArray good = kHead + "[Point]\r\nStop_Point=1\r\n[Protocol_Date]\r\n" +
                                pointKeys(0, 100, "0000,00") + pointKeys(1, 300, "0010,00");
        QVERIFY(makeShape(shape, path, good));

        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        const ProtocolStatus st = ProtocolFile(path).open(*data, general, points);
        if (!refusal.isEmpty()) {
            QCOMPARE(st.fault, ProtocolFault::Io);
            QCOMPARE(st.text, QStringLiteral("Unable to read %1: %2").arg(path, refusal));
            // Writing refuses it the same way and leaves it as it is.
            QVERIFY(!ProtocolFile(path).writePoint(2, PointKeys{}).ok());
            QCOMPARE(QFileInfo(path).isFile(), shape != "folder" && shape != "fifo");
            return;
        }
        QVERIFY2(st.ok(), qPrintable(st.text));
        QCOMPARE(int(data->UserPoints.size()), 2);
        QCOMPARE(data->UserPoints[1].n, 300);
        if (shape == "1 MB line") // a value is read up to its 2047th character
            QCOMPARE(general.CompanyName, QString(2047 / 5, QLatin1Char('7')));
    }

    // Found by fuzzing: in a file of bare line feeds, a line that ends in
    // carriage returns loses one with every rewrite. Its keys and values must
    // not change with it.
    void strayCarriageReturnsKeepTheKeys()
    {
        const QByteArray bytes = "[Protocol]\nMarking=OK\r\r\n\xff\xff\r\r\r\n[Point]\r\r\n"
                                 "Stop_Point=4\r\r\nFilterN4=2=3\r\n";
        IniDocument doc = IniDocument::parse(bytes);
        for (int round = 0; round < 3; ++round) {
            const IniDocument again = IniDocument::parse(doc.serialize());
            for (const QByteArray section : {"Protocol", "Point"}) {
                QCOMPARE(again.keys(section), doc.keys(section));
                for (const QByteArray &key : doc.keys(section))
                    QCOMPARE(*again.find(section, key), *doc.find(section, key));
            }
            doc = again;
        }
        QCOMPARE(*doc.find("Protocol", "Marking"), QByteArray("OK"));
        QCOMPARE(*doc.find("Point", "FilterN4"), QByteArray("2=3"));
    }

    void settings_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<bool>("read");
        QTest::newRow("100 MB") << "100 MB" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("named pipe") << "fifo" << false;
        QTest::newRow("million keys") << "million keys" << false; // 17 MB
        QTest::newRow("1 MB line") << "1 MB line" << true;
        QTest::newRow("NUL bytes") << "NUL bytes" << true;
    }
    void settings()
    {
        QFETCH(QString, shape);
        QFETCH(bool, read);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kv_Instal_ini.ini");
        QVERIFY(
            makeShape(shape, path, "[AvtoSave]\r\nConstSave=7\r\n[LengRef]\r\nvallatguage=1\r\n"));
        SettingsStore store(path);
        QCOMPARE(store.get(SettingsKeys::ConstSave), read ? 7 : 5);
        QCOMPARE(store.problem(0).isEmpty(), read);
        if (read)
            return;
        QVERIFY(store.problem(0).contains(path));
        QVERIFY(store.problem(1).startsWith(QStringLiteral("Файл настроек")));
        // A write: a pipe or a folder is left alone with the reason; an
        // oversized file is set aside and the store starts afresh.
        const StoreResult w = store.set(SettingsKeys::ConstSave, 3);
        if (shape == "fifo" || shape == "folder") {
            QVERIFY(!w.ok);
            QCOMPARE(w.error, store.problem(0));
            QCOMPARE(store.get(SettingsKeys::ConstSave), 5);
        } else {
            QVERIFY(w.ok);
            QCOMPARE(store.get(SettingsKeys::ConstSave), 3);
            QVERIFY(QFileInfo::exists(path + ".damaged"));
        }
    }

    // The program with a pipe for its settings and a pipe chosen as a
    // protocol: it says so, does not wait on either, and connects as usual.
    void programGoesOn()
    {
        ProgramHarness h;
        QVERIFY(QFile::remove(h.settings.path()));
        QVERIFY(makeShape("fifo", h.settings.path(), {}));
        h.start();
        QVERIFY(h.dialogs.messages().contains(h.settings.problem(0)));
        h.clock.advance(100);
        h.form().controls()->COM1->trigger();
        h.clock.advance(1550);
        QVERIFY(h.form().port().Connected());

        const QString pipe = h.dir.filePath("pipe.kvi");
        QVERIFY(makeShape("fifo", pipe, {}));
        h.dialogs.answerFile(pipe);
        h.form().controls()->BitBtn3->click();
        TForm6 &selection = h.program->form6();
        selection.findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click();
        QCOMPARE(h.dialogs.lastMessage(),
                 QStringLiteral("Unable to read %1: it is not a regular file").arg(pipe));
        QVERIFY(h.state().CurrentProtocolFile.isEmpty());
        QVERIFY(selection.isVisible()); // the installer may choose another file
        h.clock.advance(3000);
        QVERIFY(h.form().port().Connected());
    }
};

QTEST_MAIN(TstBadFiles)
#include "tst_bad_files.moc"
