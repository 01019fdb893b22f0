// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Builds sensor replies as the frame layer accepts them: real frames with the
// length of their command and a correct CRC, data bytes placed by reply byte
// number (4 … L − 1).

#include "link/frame.h"

#include <QByteArray>
#include <cstring>
#include <initializer_list>
#include <utility>

inline QByteArray replyWith(quint8 command, std::initializer_list<std::pair<int, int>> bytes)
{
    const int length = replyLengthFor(command);
    Q_ASSERT(length >= 5);
    QByteArray data(length - 4, '\0');
    for (const auto &[k, v] : bytes) {
        Q_ASSERT(k >= 4 && k <= length - 1);
        data[k - 4] = char(v);
    }
    return buildReply(0x05, command, data);
}

/// Writes the little-endian bytes of f at reply byte k.
inline void putFloat(QByteArray &reply, int k, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i)
        reply[k - 1 + i] = char((bits >> (8 * i)) & 0xFF);
    // Keep the frame valid after the change.
    reply[reply.size() - 1] = char(CalcCRC(reply.constData(), int(reply.size()) - 1));
}
