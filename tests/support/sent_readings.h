// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The end result of a calibration checked against the sensor itself: the
// protocol is read back from disk, and every point in it must carry a level
// the virtual sensor really sent in a live-data reply with a good CRC.
//
// - A user point and an end point ("Save Before Exit") carry the N and the C
//   of one reply.
// - An autosave pair carries the level of the step before (its first point:
//   the second point of the pair before, or `firstStepFrom` for the first pair)
//   and the N of one reply (its second point).
// - The replies the points name come in the order of the points (one reply may
//   serve several points in a row), and the times never run backwards.
// - A point listed in `storedBy` (index -> clock time of the Rec) names a reply
//   sent before that time.
//
// The result is one line per point that breaks a rule; empty when all hold.

#include "sim/virtual_sensor.h"
#include "tank/protocol_file.h"

#include <QHash>
#include <QStringList>

inline QStringList pointsNotSent(const QString &path, const VirtualSensor &sensor,
                                 qint32 firstStepFrom = 0, const QHash<int, qint64> &storedBy = {})
{
    QStringList faults;
    ProtocolReader file;
    if (const ProtocolStatus st = file.load(path); !st.ok())
        return {QStringLiteral("protocol not read: ") + st.text};
    const QList<SentReading> &sent = sensor.readingsSent();
    qsizetype cursor = 0;
    qint32 lastStep = firstStepFrom;
    bool pairOpen = false; // the next autosave point is the second of its pair
    qint64 lastTime = -1;
    for (int i = 0; i <= file.stopPoint(); ++i) {
        const PointKeys k = file.pointKeys(i, QString());
        if (k.Time.isEmpty())
            continue;
        const QString where = QStringLiteral("point %1 (%2, time %3, N %4, C %5): ")
                                  .arg(i)
                                  .arg(k.Status_Save, k.Time, k.FilterN, k.FilterC);
        const qint64 time = k.Time.toLongLong();
        if (time < lastTime)
            faults << where + QStringLiteral("time runs backwards from %1").arg(lastTime);
        lastTime = time;
        const int n = k.FilterN.toInt();
        const bool autosave = k.Status_Save == Protocol::kAutoSave;
        if (autosave && !pairOpen) {
            if (n != lastStep)
                faults << where + QStringLiteral("a step from %1, the last step stored").arg(lastStep);
            pairOpen = true;
            continue;
        }
        pairOpen = false;
        const bool withC = !autosave;
        const int c = k.FilterC.toInt();
        qsizetype j = cursor;
        while (j < sent.size() &&
               !(sent[j].intact && sent[j].n == n && (!withC || sent[j].c == c)))
            ++j;
        if (j == sent.size()) {
            faults << where +
                          QStringLiteral("no such reading sent from reading %1 of %2 on")
                              .arg(cursor)
                              .arg(sent.size());
            continue;
        }
        if (storedBy.contains(i) && sent[j].atMs > storedBy.value(i))
            faults << where + QStringLiteral("its reading was sent at %1 ms, after the Rec at %2")
                                  .arg(sent[j].atMs)
                                  .arg(storedBy.value(i));
        cursor = j;
        if (autosave)
            lastStep = n;
    }
    return faults;
}
