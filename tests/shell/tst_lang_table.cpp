// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The interface string table: exact texts of tricky entries and the lookup bounds.

#include "shell/lang_table.h"

#include <QTest>

class TstLangTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entries_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << QString("&Файл");
        QTest::newRow("2") << 2 << QString("&File");
        // The Russian "Options" begins with a Latin O in the table; kept as it is.
        QTest::newRow("3 latin O") << 3 << QString("&O") + QString("пции");
        QTest::newRow("8 blanks") << 8 << QString("  General info  ");
        QTest::newRow("67 blanks") << 67 << QString("  Установка нуля  ");
        QTest::newRow("68 leading blanks") << 68 << QString("       Zero adjust  ");
        QTest::newRow("106 uneven blanks") << 106 << QString("  Tank general info ");
        QTest::newRow("187 quotes")
            << 187 << QString(",будет установлено исполнение зонда \"Пользов L\"");
        QTest::newRow("188 quotes") << 188 << QString(",\"User L\" length parameter will be set");
        QTest::newRow("246 quotes")
            << 246 << QString("to MS Excel, press \"Yes\". For exit without export press \"No\". ");
        QTest::newRow("249") << 249 << QString("Если да - нажмите \"Yes\".");
        QTest::newRow("250 empty") << 250 << QString();
        QTest::newRow("244 Cyrillic a in English")
            << 244
            << QString("If You w") + QChar(0x0430) + QString("nt to export calibration data");
        QTest::newRow("22 degree") << 22 << QString("Current temperature, °") + QChar(0x0421);
        QTest::newRow("393") << 393 << QString("самосвал");
        QTest::newRow("394") << 394 << QString("refrigerator");
        QTest::newRow("560") << 560 << QString("  The configuration file for \"TARNET\"  ");
        QTest::newRow("591") << 591 << QString("16 бит");
        QTest::newRow("592") << 592 << QString("16 bits");
        QTest::newRow("593 empty") << 593 << QString();
        QTest::newRow("594 empty") << 594 << QString();
        QTest::newRow("0 outside") << 0 << QString();
        QTest::newRow("595 outside") << 595 << QString();
        QTest::newRow("negative") << -7 << QString();
    }
    void entries()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QCOMPARE(LangTable::entry(index), text);
    }

    void noPairIsMissing()
    {
        // Every pair up to 592 has both texts, except English 250.
        for (int k = 2; k <= 592; k += 2) {
            QVERIFY2(!LangTable::entry(k - 1).isEmpty(), qPrintable(QString::number(k - 1)));
            if (k != 250)
                QVERIFY2(!LangTable::entry(k).isEmpty(), qPrintable(QString::number(k)));
        }
    }

    void lookupIsEnglishIndexMinusLang()
    {
        QCOMPARE(LangText(308, LangEnglish), QString("Port closed"));
        QCOMPARE(LangText(308, LangRussian), QString("Порт закрыт"));
        QCOMPARE(LangText(2, 1), QString("&Файл"));
        QCOMPARE(LangText(1, 1), QString()); // entry 0 does not exist
        QCOMPARE(LangText(595, 0), QString());
        QCOMPARE(LangText(596, 1), QString());
        QCOMPARE(LangText(INT_MIN, 0), QString());
        QCOMPARE(LangText(INT_MAX, 1), QString());
        // A language outside 0/1 is kept to the nearer one.
        QCOMPARE(LangText(308, 7), QString("Порт закрыт"));
        QCOMPARE(LangText(308, -3), QString("Port closed"));
    }
};

QTEST_GUILESS_MAIN(TstLangTable)
#include "tst_lang_table.moc"
