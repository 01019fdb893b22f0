// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Serves a virtual sensor (or a bus of them) on a pseudo-terminal, so that a real serial client
// (termios, read through a notifier) can talk to it through a device path.

#include "common/scheduler.h"

#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
class LineResponder;

class PtySensorServer final : public QObject {
    Q_OBJECT
public:
    /// The sensor and the scheduler must outlive the server.
    PtySensorServer(LineResponder &sensor, Scheduler &scheduler, QObject *parent = nullptr);
    ~PtySensorServer() override;

    /// Opens the pseudo-terminal and starts serving; on failure returns false
    /// and says why in *error.
    [[nodiscard]] bool start(QString *error);
    void stop();
    /// The device path a client opens (/dev/pts/N), empty before start().
    QString slavePath() const { return m_slavePath; }

private:
    void onReadable();
    /// The speed the client set on its end of the terminal (both ends share
    /// one setting), in bit/s; 0 when it cannot be read.
    int lineBaud() const;
    void send(const QByteArray &chunk);

    LineResponder &m_sensor;
    Scheduler &m_scheduler;
    int m_master = -1;
    // Held open for the whole run: without it the master sees a hang-up each
    // time a client closes its end, and bytes written meanwhile would be lost.
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_notifier = nullptr;
    QList<Scheduler::TaskId> m_pending;
};
