// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What sits at the far end of a simulated serial line: one sensor, or a bus of
// several. The virtual port and the pseudo-terminal server hand it the bytes
// the client writes and deliver its replies after its reply delay.

#include <QByteArray>
#include <QList>

class LineResponder {
public:
    virtual ~LineResponder() = default;
    /// Bytes heard on the line, sent at `baud` bit/s (0: the line has no
    /// speed). Returns the bytes of every reply, in order, as they go on the wire.
    virtual QList<QByteArray> hear(const QByteArray &bytes, int baud) = 0;
    /// Splits one reply into the chunks it reaches the client in.
    virtual QList<QByteArray> chunksOf(const QByteArray &wire) const = 0;
    /// Time from the request to the first reply byte.
    virtual int replyDelayMs() const = 0;
    /// The line hands every request back to its sender as it goes out, before
    /// the reply: a two-wire RS-485 adapter without echo suppression.
    virtual bool echoes() const { return false; }
};
