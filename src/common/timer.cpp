// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/timer.h"

Timer::Timer(Scheduler *scheduler, QString name, int intervalMs, std::function<void()> handler)
    : m_scheduler(scheduler), m_name(std::move(name)), m_interval(intervalMs),
      m_handler(std::move(handler))
{
}

Timer::~Timer()
{
    disarm();
}

void Timer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on)
        arm();
    else
        disarm();
}

void Timer::setInterval(int ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    if (m_enabled) {
        disarm();
        arm();
    }
}

void Timer::setWaitsForActivity(bool on)
{
    if (on == m_waitsForActivity)
        return;
    m_waitsForActivity = on;
    if (m_enabled) {
        disarm();
        arm();
    }
}

void Timer::arm()
{
    // An interval of 0 never fires, as with message-loop timers.
    if (m_interval <= 0)
        return;
    m_task = m_waitsForActivity
                 ? m_scheduler->scheduleAfterActivity(m_interval, [this] { tick(); })
                 : m_scheduler->schedule(m_interval, [this] { tick(); });
}

void Timer::disarm()
{
    if (m_task) {
        m_scheduler->cancel(m_task);
        m_task = 0;
    }
}

void Timer::tick()
{
    m_task = 0;
    if (!m_enabled)
        return;
    arm(); // next period counts from now; the handler may stop or re-time it
    // Only a handler that ran counts: a timer nobody handles has not fired.
    if (!m_handler)
        return;
    ++m_fired;
    m_handler();
}
