// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Several virtual sensors on one RS-485 line. Each hears the line only at its
// own speed (at another speed the bytes are noise to it) and answers only
// frames for its address or for the all-devices address. When more than one
// answers the same request their replies collide on the wire: the line
// carries the bitwise AND of the bytes sent at the same moment (a driven 0
// wins over a 1), as long as the longest, which the client sees as a damaged
// frame.

#include "sim/line_responder.h"

#include <vector>

class VirtualSensor;

class SensorBus final : public LineResponder {
public:
    /// The sensor must outlive the bus; baud is the speed it talks at.
    void attach(VirtualSensor &sensor, int baud);

    QList<QByteArray> hear(const QByteArray &bytes, int baud) override;
    QList<QByteArray> chunksOf(const QByteArray &wire) const override;
    int replyDelayMs() const override;
    /// The adapter of the line echoes when the first sensor's faults say so.
    bool echoes() const override;

    /// The bitwise AND of the replies, as long as the longest.
    static QByteArray collide(const QList<QByteArray> &replies);

private:
    struct Member {
        VirtualSensor *sensor;
        int baud;
    };
    std::vector<Member> m_members;
};
