// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/sensor_bus.h"

#include "sim/virtual_sensor.h"

void SensorBus::attach(VirtualSensor &sensor, int baud)
{
    m_members.push_back({&sensor, baud});
}

QList<QByteArray> SensorBus::hear(const QByteArray &bytes, int baud)
{
    // The n-th reply of every sensor that answers goes on the wire at the same moment.
    QList<QList<QByteArray>> answers;
    for (const Member &m : m_members) {
        if (baud != 0 && m.baud != baud)
            continue;
        const QList<QByteArray> replies = m.sensor->feed(bytes);
        for (int i = 0; i < replies.size(); ++i) {
            if (answers.size() <= i)
                answers.append(QList<QByteArray>());
            answers[i].append(replies[i]);
        }
    }
    QList<QByteArray> wire;
    for (const QList<QByteArray> &together : answers)
        wire.append(together.size() == 1 ? together.first() : collide(together));
    return wire;
}

QByteArray SensorBus::collide(const QList<QByteArray> &replies)
{
    QByteArray out;
    for (const QByteArray &r : replies) {
        for (int i = 0; i < r.size(); ++i) {
            if (i < out.size())
                out[i] = char(quint8(out[i]) & quint8(r[i]));
            else
                out.append(r[i]);
        }
    }
    return out;
}

QList<QByteArray> SensorBus::chunksOf(const QByteArray &wire) const
{
    return {wire};
}

int SensorBus::replyDelayMs() const
{
    return m_members.empty() ? 0 : m_members.front().sensor->replyDelayMs();
}

bool SensorBus::echoes() const
{
    return !m_members.empty() && m_members.front().sensor->echoes();
}
