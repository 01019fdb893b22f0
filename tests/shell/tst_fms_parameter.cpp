// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// "FMSParameter.ini": parsing tolerance and where the file is looked up.

#include "shell/fms_parameter.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TstFmsParameter : public QObject {
    Q_OBJECT

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("names");
        const QStringList idx{"0", "1", "2", "3", "4", "5", "6", "7"};
        QTest::newRow("empty file") << QByteArray() << idx;
        QTest::newRow("all keys") << QByteArray("[SET_FSN_PARAM]\nName0=A\nName1=B\nName2=C\n"
                                                "Name3=D\nName4=E\nName5=F\nName6=G\nName7=H\n")
                                  << QStringList{"A", "B", "C", "D", "E", "F", "G", "H"};
        QTest::newRow("CRLF, BOM, blanks, quotes")
            << QByteArray("\xEF\xBB\xBF; probe types\r\n[SET_FSN_PARAM]\r\n  Name1 =  ДУТ 1 \r\n"
                          "Name2=\"  quoted  \"\r\n\r\nName5\t=\tx = y\r\n")
            << QStringList{"0", "ДУТ 1", "  quoted  ", "3", "4", "x = y", "6", "7"};
        QTest::newRow("case of section and key")
            << QByteArray("[set_fsn_param]\nNAME3=c\nname4=d\n")
            << QStringList{"0", "1", "2", "c", "d", "5", "6", "7"};
        QTest::newRow("other sections and odd keys ignored")
            << QByteArray("Name0=outside\n[Other]\nName1=other\n[SET_FSN_PARAM]\nName8=x\n"
                          "Name-1=y\nName01=z\nName 2=w\nNoValue\n=v\nName6=six\n")
            << QStringList{"0", "1", "2", "3", "4", "5", "six", "7"};
        QTest::newRow("first occurrence wins, empty value kept")
            << QByteArray("[SET_FSN_PARAM]\nName0=first\nName0=second\nName7=\n")
            << QStringList{"first", "1", "2", "3", "4", "5", "6", ""};
        QTest::newRow("Windows-1251")
            << QByteArray("[SET_FSN_PARAM]\nName0=\xC4\xD3\xD2 \xB8\xEB\xEA\xE0\n")
            << QStringList{"ДУТ ёлка", "1", "2", "3", "4", "5", "6", "7"};
        QTest::newRow("binary garbage") << QByteArray("\0\xFF\x01[\n=\n]\0", 9) << idx;
    }
    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, names);
        QCOMPARE(FmsParameter::parse(content), names);
    }

    void lookupOrder()
    {
        QTemporaryDir work, exe;
        QVERIFY(work.isValid() && exe.isValid());
        const QStringList dirs{work.path(), exe.path()};

        FmsParameterFile none = FmsParameter::read(dirs);
        QCOMPARE(none.path, QString());
        QCOMPARE(none.names, (QStringList{"0", "1", "2", "3", "4", "5", "6", "7"}));

        writeFile(exe.filePath("FMSParameter.ini"), "[SET_FSN_PARAM]\nName0=beside exe\n");
        FmsParameterFile besideExe = FmsParameter::read(dirs);
        QCOMPARE(besideExe.path, exe.filePath("FMSParameter.ini"));
        QCOMPARE(besideExe.names.at(0), QString("beside exe"));

        // A file in the working directory wins, even when it lacks keys.
        writeFile(work.filePath("fmsparameter.INI"), "[SET_FSN_PARAM]\nName1=work\n");
        FmsParameterFile inWork = FmsParameter::read(dirs);
        QCOMPARE(inWork.path, work.filePath("fmsparameter.INI"));
        QCOMPARE(inWork.names.at(0), QString("0"));
        QCOMPARE(inWork.names.at(1), QString("work"));

        // A folder of that name is not the file.
        QFile::remove(work.filePath("fmsparameter.INI"));
        QVERIFY(QDir(work.path()).mkdir("FMSParameter.ini"));
        QCOMPARE(FmsParameter::read(dirs).path, exe.filePath("FMSParameter.ini"));
    }

    void defaultDirsStartWithTheWorkingDirectory()
    {
        const QStringList dirs = FmsParameter::defaultSearchDirs();
        QCOMPARE(dirs.value(0), QDir::currentPath());
        QCOMPARE(dirs.value(1), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TstFmsParameter)
#include "tst_fms_parameter.moc"
