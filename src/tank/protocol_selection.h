// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Choosing the protocol: the ring of nine recent protocols, the suggested
// name of a new one, the name check, and where a continued calibration's
// next point goes. Pure: the protocol-selection window and the main window
// use it.

#include "tank/protocol_file.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

/// The nine recent-protocol slots as the selection window shows them.
class RecentProtocols {
public:
    static constexpr int Slots = 9;

    /// From the stored "PName0" … "PName8" and "IndexPName": files that still
    /// exist fill the entries from 0 without gaps (missing ones are dropped);
    /// the next creation takes the slot after the last one found, or, with
    /// all nine found, the stored "IndexPName".
    void load(const QStringList &stored, int indexPName,
              const std::function<bool(const QString &)> &exists);

    const std::array<QString, Slots> &entries() const { return m_entries; }
    QString entry(int i) const { return i >= 0 && i < Slots ? m_entries[size_t(i)] : QString(); }
    void setEntry(int i, const QString &path);
    /// The slot the next created protocol takes ("RecentSlot").
    int slot() const { return m_slot; }
    /// A created protocol takes the slot; the slot moves on, 0 after 8.
    void addCreated(const QString &path);

private:
    std::array<QString, Slots> m_entries;
    int m_slot = 0;
};

/// "Протокол тарировки 20260305070809" / "Calibration data 20260305070809".
QString suggestedProtocolName(const QDateTime &now, int lang);
/// The chosen name without a ".kvi" the user may have typed.
QString protocolBaseName(const QString &chosen);
/// A file of that name exists with any extension (or none).
bool protocolNameTaken(const QString &baseName);
/// "Протокол с таким именем уже существует!!!" / "Error file name protocol".
QString protocolNameTakenMessage(int lang);

/// The recording's counters after opening a protocol.
struct OpenedCounters {
    qint32 pointCounter = 0;
    qint64 recordTime = 0;
    qint32 lastUserSavedN = -1;
    qint32 lastAutoSavedN = 0;
    /// The litres of the last stored point as the litre field shows them
    /// ("0012,50"); empty when there is none.
    QString literText;
};

/// Where a continued calibration goes on. A calibration ended with Stop
/// stored its final state twice; the next point replaces the second of that
/// pair. Anything else (closed without Stop, points corrected or deleted)
/// continues behind the last point, so no stored point is ever overwritten.
OpenedCounters countersAfterOpening(const PointsRead &points);
