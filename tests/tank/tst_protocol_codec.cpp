// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The protocol text encodings: the numeric groups, the legacy bytes, and the
// rule for characters the groups cannot hold.

#include "tank/protocol_codec.h"

#include <QTest>

class TestProtocolCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numericRoundTrip_data();
    void numericRoundTrip();
    void damagedValues_data();
    void damagedValues();
    void cutAtReadLimitDropsPartialGroup();
    void legacyBytes();
    void unencodableCharacters();
};

void TestProtocolCodec::numericRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("Бак") << QStringLiteral("Бак") << QByteArray("#1041#1072#1082");
    QTest::newRow("710") << QStringLiteral("710") << QByteArray("#0055#0049#0048");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("n.d.") << QStringLiteral("n.d.") << QByteArray("#0110#0046#0100#0046");
    QTest::newRow("control and largest")
        << QString(QChar(0)) + QChar(9999) << QByteArray("#0000#9999");
    QTest::newRow("Ёё") << QStringLiteral("Ёё") << QByteArray("#1025#1105");
}

void TestProtocolCodec::numericRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, encoded);
    QString replaced;
    QCOMPARE(encodeProtocolText(text, &replaced), encoded);
    QVERIFY(replaced.isEmpty());
    QCOMPARE(decodeNumericText(encoded), std::optional<QString>(text));
    QCOMPARE(decodeProtocolText(encoded, 100), std::optional<QString>(text));
}

void TestProtocolCodec::damagedValues_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("letter in digits") << QByteArray("#1041#10x2");
    QTest::newRow("short last group") << QByteArray("#1041#107");
    QTest::newRow("no hash") << QByteArray("010410");
    QTest::newRow("plain text") << QByteArray("Tank");
    QTest::newRow("single character") << QByteArray("#");
    QTest::newRow("sign in group") << QByteArray("#-041");
    QTest::newRow("cp1251 bytes in a Version-100 file") << QByteArray("\xc1\xe0\xea");
}

void TestProtocolCodec::damagedValues()
{
    QFETCH(QByteArray, value);
    QCOMPARE(decodeNumericText(value), std::nullopt);
}

void TestProtocolCodec::cutAtReadLimitDropsPartialGroup()
{
    // 410 characters encode to 2050; the read limit leaves 2047, the last group cut to "#1".
    const QByteArray encoded = encodeProtocolText(QString(410, QChar(0x0416)));
    const QByteArray read = encoded.left(2047);
    QCOMPARE(decodeNumericText(read), std::nullopt);
    QCOMPARE(decodeNumericText(read, true), std::optional<QString>(QString(409, QChar(0x0416))));
    QCOMPARE(decodeNumericText(encoded.left(2045) + "#x", true), std::nullopt);
}

void TestProtocolCodec::legacyBytes()
{
    QByteArray all;
    for (int b = 0xC0; b <= 0xFF; ++b)
        all += char(b);
    QString expected;
    for (ushort u = 0x0410; u <= 0x044F; ++u)
        expected += QChar(u);
    QCOMPARE(decodeLegacyText(all), expected);
    // Ё (0xA8), ё (0xB8) and the other bytes 128..191 are dropped; ASCII stays.
    QCOMPARE(decodeLegacyText("A\xa8"
                              "B\xb8\x80\xbf"
                              "C 1"),
             QStringLiteral("ABC 1"));
    QCOMPARE(decodeProtocolText("\xc1\xe0\xea", 99), std::optional<QString>(QStringLiteral("Бак")));
    QCOMPARE(decodeProtocolText("#1041", 0), std::optional<QString>(QStringLiteral("#1041")));
}

void TestProtocolCodec::unencodableCharacters()
{
    const QString text = QStringLiteral("Ok ✓ 😀✓");
    QCOMPARE(::unencodableCharacters(text), QStringLiteral("✓😀"));
    QString replaced;
    // One "?" per character, the surrogate pair counting as one; still readable.
    const QByteArray enc = encodeProtocolText(text, &replaced);
    QCOMPARE(enc, QByteArray("#0079#0107#0032#0063#0032#0063#0063"));
    QCOMPARE(replaced, QStringLiteral("✓😀"));
    QCOMPARE(decodeNumericText(enc), std::optional<QString>(QStringLiteral("Ok ? ??")));
    const QString msg = unencodableMessage(replaced, 0);
    QVERIFY2(msg.contains(QStringLiteral("U+2713")) && msg.contains(QStringLiteral("U+1F600")),
             qPrintable(msg));
    QVERIFY(::unencodableCharacters(QStringLiteral("Бак 710")).isEmpty());
    // A lone surrogate is a character of its own; the letter before it stays.
    const QString lone = QStringLiteral("A") + QChar(0xDC00) + QStringLiteral("B") + QChar(0xD800);
    QCOMPARE(encodeProtocolText(lone), QByteArray("#0065#0063#0066#0063"));
}

QTEST_GUILESS_MAIN(TestProtocolCodec)
#include "tst_protocol_codec.moc"
