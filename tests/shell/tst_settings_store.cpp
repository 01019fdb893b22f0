// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The per-user settings store on real files in a temporary folder.

#include "common/numfmt.h"
#include "shell/settings_store.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsKeys;

class TstSettingsStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeRaw(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void defaultPathFollowsXdgConfigHome()
    {
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        QCOMPARE(SettingsStore::defaultPath(), m_dir.path() + "/kv-ruzevuv/Kv_Instal_ini.ini");
        qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(SettingsStore::defaultPath().endsWith("/.config/kv-ruzevuv/Kv_Instal_ini.ini"));
        qputenv("XDG_CONFIG_HOME", old);
    }

    void firstStartGivesEveryDefault()
    {
        const QString file = path("fresh/kv-ruzevuv/Kv_Instal_ini.ini");
        SettingsStore st(file);
        QCOMPARE(st.get(vallatguage), 0); // English
        QCOMPARE(st.get(View), 0);        // normal view
        QCOMPARE(st.get(Form1_Top), 0);
        QCOMPARE(st.get(Form1_Left), 0);
        QCOMPARE(st.get(Form5_Top), 0);
        QCOMPARE(st.get(Form5_Left), 0);
        QCOMPARE(st.get(RTS), false);
        QCOMPARE(st.get(DTR), false);
        QCOMPARE(st.get(Save), 1); // autosave forbidden
        QCOMPARE(st.get(ConstSave), 5);
        QCOMPARE(st.get(RefCTS), false);
        QCOMPARE(st.get(TARNETcb), false);
        QCOMPARE(st.get(PrefixStr), QString("{\"sensors\":[{\"c\":\"{\\\"appear_in_popup\\\":"
                                            "true}\",\"d\":\"|"));
        QCOMPARE(st.get(SufixStr),
                 QString("\",\"f\":0,\"id\":1,\"m\":\"litres\",\"n\":\"DutPermix\",\"p\":\"adc9\","
                         "\"t\":\"fuel level\",\"tbl\":[],\"vs\":0,\"vt\":1}],\"type\":"
                         "\"avl_unit\",\"version\":\"b4\"}"));
        QCOMPARE(st.get(CFK11), 1.725);
        QCOMPARE(st.get(CFR21), 1.0);
        QCOMPARE(st.get(CLR1), 0.01633);
        QCOMPARE(st.get(NameIndex), 0);
        QCOMPARE(st.get(NameMashineIndex), 0);
        QCOMPARE(st.get(IndexPName), 0);
        for (int n = 1; n <= 10; ++n) {
            QCOMPARE(st.get(Name(n)), QString());
            QCOMPARE(st.get(NameMashine(n)), QString());
        }
        for (int n = 0; n <= 8; ++n)
            QCOMPARE(st.get(PName(n)), QString());
        QVERIFY(!st.decimalSeparatorOverride());
        // Reading creates nothing; the first write creates folder and file.
        QVERIFY(!QFile::exists(file));
        QVERIFY(st.set(RTS, true));
        QVERIFY(QFile::exists(file));
        QCOMPARE(st.get(RTS), true);
    }

    void damagedValuesReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("line"); // under its section
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *line, const char *key, const char *exp) {
            QTest::newRow(name) << QByteArray(line) << QString(key) << QString(exp);
        };
        row("language 7 reads as 1", "[LengRef]\nvallatguage=7", "lang", "1");
        row("language huge reads as 1", "[LengRef]\nvallatguage=999999999999999", "lang", "1");
        row("language -3 reads as 0", "[LengRef]\nvallatguage=-3", "lang", "0");
        row("language text", "[LengRef]\nvallatguage=ru", "lang", "0");
        row("language 1", "[LengRef]\nvallatguage=1", "lang", "1");
        row("position text", "[WindowsPosition]\nForm1_Top=abc", "top", "0");
        row("position huge", "[WindowsPosition]\nForm1_Top=99999999999", "top", "0");
        row("position fraction", "[WindowsPosition]\nForm1_Top=12.5", "top", "0");
        row("position negative kept", "[WindowsPosition]\nForm1_Top=-40", "top", "-40");
        row("position list", "[WindowsPosition]\nForm1_Top=1, 2", "top", "0");
        row("bool text", "[Terminal_Option]\nRTS=maybe", "rts", "0");
        row("bool int", "[Terminal_Option]\nRTS=1", "rts", "1");
        row("bool word", "[Terminal_Option]\nRTS=true", "rts", "1");
        row("save 7", "[AvtoSave]\nSave=7", "save", "1");
        row("save 0", "[AvtoSave]\nSave=0", "save", "0");
        row("constant 0", "[AvtoSave]\nConstSave=0", "const", "5");
        row("constant negative", "[AvtoSave]\nConstSave=-4", "const", "5");
        row("constant 11", "[AvtoSave]\nConstSave=11", "const", "5");
        row("constant 10", "[AvtoSave]\nConstSave=10", "const", "10");
        row("ring index 12", "[UserOption]\nNameIndex=12", "ring", "0");
        row("slot 9", "[Protocol_Name]\nIndexPName=9", "slot", "0");
        row("real text", "[Property_bore]\nCLR1=xyz", "clr", "0.01633");
        row("real negative", "[Property_bore]\nCLR1=-1", "clr", "0.01633");
        row("real zero stays", "[Property_bore]\nCLR1=0", "clr", "0");
        row("real nan", "[Property_bore]\nCLR1=nan", "clr", "0.01633");
        row("real huge", "[Property_bore]\nCLR1=1e300", "clr", "0.01633");
        row("real comma", "[Property_bore]\nCLR1=\"0,02\"", "clr", "0.02");
        row("string list", "[AvtoSave]\nPrefixStr=a, b", "prefix", "default");
    }
    void damagedValuesReadAsDefaults()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        // One file per row: the INI cache keys on path, size and time.
        const QString file = path(QString("damaged-%1.ini").arg(QTest::currentDataTag()));
        writeRaw(file, line + "\n");
        SettingsStore st(file);
        QString got;
        if (key == "lang")
            got = QString::number(st.get(vallatguage));
        else if (key == "top")
            got = QString::number(st.get(Form1_Top));
        else if (key == "rts")
            got = QString::number(int(st.get(RTS)));
        else if (key == "save")
            got = QString::number(st.get(Save));
        else if (key == "const")
            got = QString::number(st.get(ConstSave));
        else if (key == "ring")
            got = QString::number(st.get(NameIndex));
        else if (key == "slot")
            got = QString::number(st.get(IndexPName));
        else if (key == "clr")
            got = QString::number(st.get(CLR1));
        else if (key == "prefix")
            got = st.get(PrefixStr) == DefaultPrefix ? "default" : st.get(PrefixStr);
        QCOMPARE(got, expected);
    }

    void binaryGarbageGivesDefaultsAndCanBeWrittenOver()
    {
        const QString file = path("garbage.ini");
        QByteArray junk;
        quint32 x = 12345;
        for (int i = 0; i < 4096; ++i) {
            x = x * 1103515245u + 12345u;
            junk.append(char(x >> 16));
        }
        junk.insert(100, QByteArray("\0\0[LengRef\n=\n[\n\\\\\\", 16));
        writeRaw(file, junk);
        SettingsStore st(file);
        QCOMPARE(st.get(vallatguage), 0);
        QCOMPARE(st.get(Save), 1);
        QCOMPARE(st.get(CFK11), 1.725);
        QCOMPARE(st.get(PrefixStr), DefaultPrefix);
        // The next close saves again; the values must come back.
        const StoreResult r = st.set(vallatguage, 1);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(st.set(Form1_Left, 120));
        QCOMPARE(st.get(vallatguage), 1);
        QCOMPARE(st.get(Form1_Left), 120);
        QVERIFY(QFile::exists(file + ".damaged")); // kept for the curious
    }

    void everyKeyRoundTrips()
    {
        const QString file = path("roundtrip.ini");
        QFile::remove(file);
        {
            SettingsStore st(file);
            QVERIFY(st.set(Form1_Top, 33));
            QVERIFY(st.set(Form1_Left, -20));
            QVERIFY(st.set(View, 1));
            QVERIFY(st.set(Form5_Top, 200));
            QVERIFY(st.set(Form5_Left, 300));
            QVERIFY(st.set(RTS, true));
            QVERIFY(st.set(DTR, true));
            QVERIFY(st.set(vallatguage, 1));
            QVERIFY(st.set(NameIndex, 9));
            QVERIFY(st.set(NameMashineIndex, 4));
            for (int n = 1; n <= 10; ++n) {
                QVERIFY(st.set(Name(n), QString("Иванов И.И., №%1; \"мастер\"").arg(n)));
                QVERIFY(st.set(NameMashine(n), QString("  КамАЗ-%1 = [тягач] \\ ").arg(n)));
            }
            QVERIFY(st.set(Save, 0));
            QVERIFY(st.set(ConstSave, 9));
            QVERIFY(st.set(RefCTS, true));
            QVERIFY(st.set(PrefixStr, "Префикс, ;#\t\"q\""));
            QVERIFY(st.set(SufixStr, QString()));
            QVERIFY(st.set(TARNETcb, true));
            QVERIFY(st.set(CFK11, 2.5));
            QVERIFY(st.set(CFR21, 0.125));
            QVERIFY(st.set(CLR1, 0.01987));
            for (int n = 0; n <= 8; ++n)
                QVERIFY(st.set(PName(n), QString("/home/мастер/Протокол тарировки %1.kvi").arg(n)));
            QVERIFY(st.set(IndexPName, 8));
            QVERIFY(st.set(SPName, "/tmp/последний.kvi"));
            QVERIFY(st.setDecimalSeparatorOverride(','));
        }
        SettingsStore st(file);
        QCOMPARE(st.get(Form1_Top), 33);
        QCOMPARE(st.get(Form1_Left), -20);
        QCOMPARE(st.get(View), 1);
        QCOMPARE(st.get(Form5_Top), 200);
        QCOMPARE(st.get(Form5_Left), 300);
        QCOMPARE(st.get(RTS), true);
        QCOMPARE(st.get(DTR), true);
        QCOMPARE(st.get(vallatguage), 1);
        QCOMPARE(st.get(NameIndex), 9);
        QCOMPARE(st.get(NameMashineIndex), 4);
        for (int n = 1; n <= 10; ++n) {
            QCOMPARE(st.get(Name(n)), QString("Иванов И.И., №%1; \"мастер\"").arg(n));
            QCOMPARE(st.get(NameMashine(n)), QString("  КамАЗ-%1 = [тягач] \\ ").arg(n));
        }
        QCOMPARE(st.get(Save), 0);
        QCOMPARE(st.get(ConstSave), 9);
        QCOMPARE(st.get(RefCTS), true);
        QCOMPARE(st.get(PrefixStr), QString("Префикс, ;#\t\"q\""));
        QCOMPARE(st.get(SufixStr), QString()); // an empty text stays empty
        QCOMPARE(st.get(TARNETcb), true);
        QCOMPARE(st.get(CFK11), 2.5);
        QCOMPARE(st.get(CFR21), 0.125);
        QCOMPARE(st.get(CLR1), 0.01987);
        for (int n = 0; n <= 8; ++n)
            QCOMPARE(st.get(PName(n)), QString("/home/мастер/Протокол тарировки %1.kvi").arg(n));
        QCOMPARE(st.get(IndexPName), 8);
        QCOMPARE(st.get(SPName), QString("/tmp/последний.kvi"));
        QCOMPARE(st.effectiveDecimalSeparator(), QChar(','));

        // Sections and keys as named, one INI section per group.
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        for (const char *s : {"[WindowsPosition]", "[Terminal_Option]", "[LengRef]", "[UserOption]",
                              "[AvtoSave]", "[Property_bore]", "[Protocol_Name]", "\nvallatguage=1",
                              "\nConstSave=9", "\nCLR1=0.01987", "\nRTS=1"})
            QVERIFY2(text.contains(s), s);
    }

    void legacyProbeKeysAreRemoved()
    {
        const QString file = path("legacy.ini");
        writeRaw(file, "[Property_bore]\nCL=1\nCF1=2\nCLR=3\nCFK11=1.9\nCLR1=0.02\n");
        SettingsStore st(file);
        QVERIFY(st.removeLegacyProbeKeys());
        for (const char *k : {"CL", "CF1", "CLR"})
            QVERIFY2(!st.contains("Property_bore", k), k);
        QCOMPARE(st.get(CFK11), 1.9);
        QCOMPARE(st.get(CLR1), 0.02);
        QCOMPARE(st.get(CFR21), 1.0);
    }

    void decimalSeparatorOverride()
    {
        const QString file = path("sep.ini");
        QFile::remove(file);
        SettingsStore st(file);
        QCOMPARE(st.effectiveDecimalSeparator(), NumberFormat::systemSeparator());
        writeRaw(file, "[Regional]\nDecimalSeparator=ab\n");
        QVERIFY(!st.decimalSeparatorOverride());
        QCOMPARE(st.effectiveDecimalSeparator(), NumberFormat::systemSeparator());
        QVERIFY(st.setDecimalSeparatorOverride(','));
        QCOMPARE(st.decimalSeparatorOverride(), std::optional<QChar>(','));
        QCOMPARE(st.effectiveDecimalSeparator(), QChar(','));
    }

    void unwritableStoreReportsTheFailure()
    {
        const QString blocker = path("blocker");
        writeRaw(blocker, "a file where a folder should be");
        SettingsStore st(blocker + "/kv-ruzevuv/Kv_Instal_ini.ini");
        const StoreResult r = st.set(vallatguage, 1);
        QVERIFY(!r.ok);
        QVERIFY(r.error.contains("Kv_Instal_ini.ini"));
        QCOMPARE(st.get(vallatguage), 0);
    }
};

QTEST_GUILESS_MAIN(TstSettingsStore)
#include "tst_settings_store.moc"
