// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/protocol_codec.h"

#include <QList>

namespace {
constexpr ushort kLargestEncodable = 9999;
}

namespace {
// The length of the character at i: a surrogate pair is one character.
qsizetype charLength(const QString &text, qsizetype i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
               ? 2
               : 1;
}
} // namespace

QByteArray encodeProtocolText(const QString &text, QString *replaced)
{
    QByteArray out;
    out.reserve(text.size() * 5);
    char group[6] = {'#', 0, 0, 0, 0, 0};
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = charLength(text, i);
        ushort u = text.at(i).unicode();
        if (len > 1 || u > kLargestEncodable) {
            const QString ch = text.mid(i, len);
            if (replaced && !replaced->contains(ch))
                replaced->append(ch);
            u = '?';
        }
        i += len;
        group[4] = char('0' + u % 10);
        group[3] = char('0' + u / 10 % 10);
        group[2] = char('0' + u / 100 % 10);
        group[1] = char('0' + u / 1000);
        out.append(group, 5);
    }
    return out;
}

QString unencodableCharacters(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = charLength(text, i);
        const QString ch = text.mid(i, len);
        if ((len > 1 || ch.at(0).unicode() > kLargestEncodable) && !out.contains(ch))
            out.append(ch);
        i += len;
    }
    return out;
}

QString unencodableMessage(const QString &characters, int lang)
{
    QString listed;
    for (qsizetype i = 0; i < characters.size();) {
        const qsizetype len = charLength(characters, i);
        const QString ch = characters.mid(i, len);
        i += len;
        if (!listed.isEmpty())
            listed += QStringLiteral(", ");
        const uint cp = ch.toUcs4().value(0);
        listed +=
            QStringLiteral("\"%1\" (U+%2)")
                .arg(ch, QString::number(cp, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    if (lang == 1)
        return QStringLiteral("Символы %1 нельзя сохранить в протоколе. Уберите их из текста.")
            .arg(listed);
    return QStringLiteral("The characters %1 cannot be stored in the protocol. Remove them from "
                          "the text.")
        .arg(listed);
}

std::optional<QString> decodeNumericText(const QByteArray &value, bool cutAtReadLimit)
{
    qsizetype whole = value.size() / 5 * 5;
    if (whole != value.size()) {
        // Only the group the read limit cut may be partial, and it must still
        // look like the start of a group.
        if (!cutAtReadLimit)
            return std::nullopt;
        const QByteArray tail = value.mid(whole);
        if (tail.at(0) != '#')
            return std::nullopt;
        for (qsizetype i = 1; i < tail.size(); ++i)
            if (tail.at(i) < '0' || tail.at(i) > '9')
                return std::nullopt;
    }
    QString out;
    out.reserve(whole / 5);
    for (qsizetype g = 0; g < whole; g += 5) {
        const char *p = value.constData() + g;
        if (p[0] != '#')
            return std::nullopt;
        int u = 0;
        for (int i = 1; i < 5; ++i) {
            if (p[i] < '0' || p[i] > '9')
                return std::nullopt;
            u = u * 10 + (p[i] - '0');
        }
        out.append(QChar(ushort(u)));
    }
    return out;
}

QString decodeLegacyText(const QByteArray &value)
{
    QString out;
    out.reserve(value.size());
    for (char ch : value) {
        const uchar b = uchar(ch);
        if (b >= 192)
            out.append(QChar(ushort(b + 848)));
        else if (b < 128)
            out.append(QChar(ushort(b)));
    }
    return out;
}

std::optional<QString> decodeProtocolText(const QByteArray &value, int version, bool cutAtReadLimit)
{
    if (version >= 100)
        return decodeNumericText(value, cutAtReadLimit);
    return decodeLegacyText(value);
}
