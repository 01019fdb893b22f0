// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A timer with the semantics the tool relies on everywhere:
//  - switching on a timer that already runs changes nothing (its count goes on);
//  - setting a different interval on a running timer restarts its count;
//  - setting the same interval again changes nothing;
//  - it repeats until switched off; one-shot handlers switch it off first.
// It runs on a Scheduler, so tests drive it with a simulated clock.

#include "common/scheduler.h"

#include <QString>
#include <functional>

class Timer {
public:
    Timer(Scheduler *scheduler, QString name, int intervalMs, std::function<void()> handler = {});
    ~Timer();
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    const QString &name() const { return m_name; }
    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }

    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }

    int interval() const { return m_interval; }
    void setInterval(int ms);

    /// A timer that only checks state the program's handlers change waits for
    /// activity (Scheduler::scheduleAfterActivity) rather than waking an idle
    /// program every period. Changing it restarts the count of a running timer.
    bool waitsForActivity() const { return m_waitsForActivity; }
    void setWaitsForActivity(bool on);

    /// How many times the handler has run (diagnostics and tests).
    int fireCount() const { return m_fired; }

private:
    void arm();
    void disarm();
    void tick();

    Scheduler *m_scheduler;
    QString m_name;
    int m_interval;
    std::function<void()> m_handler;
    bool m_enabled = false;
    bool m_waitsForActivity = false;
    Scheduler::TaskId m_task = 0;
    int m_fired = 0;
};
