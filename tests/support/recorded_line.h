// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A VirtualSensor's line that keeps every reply the sensor sent, so a test
// checks what reached the recording against what the sensor itself measured.

#include "sim/line_responder.h"
#include "sim/virtual_sensor.h"

#include <QSet>

/// The sensor's line as the tool's adapter sees it, keeping every reply the
/// sensor sent: the oracle for what reached the recording.
class RecordedLine final : public LineResponder {
public:
    explicit RecordedLine(VirtualSensor &sensor) : m_sensor(sensor) {}
    QList<QByteArray> hear(const QByteArray &bytes, int baud) override
    {
        const QList<QByteArray> replies = m_sensor.hear(bytes, baud);
        sent += replies;
        return replies;
    }
    QList<QByteArray> chunksOf(const QByteArray &wire) const override
    {
        return m_sensor.chunksOf(wire);
    }
    int replyDelayMs() const override { return m_sensor.replyDelayMs(); }
    bool echoes() const override { return m_sensor.echoes(); }

    /// The level codes of the DATA_READ replies sent.
    QSet<int> levelsSent() const
    {
        QSet<int> levels;
        for (const QByteArray &r : sent)
            if (r.size() == 9 && quint8(r[2]) == 0x06)
                levels.insert(quint8(r[4]) | (quint8(r[5]) << 8));
        return levels;
    }
    QList<QByteArray> sent;

private:
    VirtualSensor &m_sensor;
};

