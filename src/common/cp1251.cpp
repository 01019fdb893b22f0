// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/cp1251.h"

namespace {

// Bytes 0x80 … 0xBF; 0xC0 … 0xFF are А … я in order (U+0410 …).
const char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

QChar charOf(unsigned char b)
{
    if (b < 0x80)
        return QChar(b);
    if (b < 0xC0)
        return QChar(kHigh[b - 0x80]);
    return QChar(char16_t(0x0410 + (b - 0xC0)));
}

int byteOf(char16_t c)
{
    if (c < 0x80)
        return c;
    if (c >= 0x0410 && c <= 0x044F)
        return 0xC0 + (c - 0x0410);
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == c && c != 0xFFFD)
            return 0x80 + i;
    return -1;
}

} // namespace

QString fromCp1251(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.append(charOf(static_cast<unsigned char>(c)));
    return text;
}

QByteArray toCp1251(const QString &text, QString *unmapped)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = byteOf(text[i].unicode());
        if (b >= 0) {
            out.append(char(b));
            continue;
        }
        out.append('?');
        // A surrogate pair is one character and one "?".
        QString ch = text.mid(i, 1);
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ch = text.mid(i++, 2);
        if (unmapped && !unmapped->contains(ch))
            unmapped->append(ch);
    }
    return out;
}
