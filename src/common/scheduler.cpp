// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/scheduler.h"

#include <QElapsedTimer>
#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>

#include <utility>

static qint64 monotonicMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

QtScheduler::QtScheduler(QObject *parent) : QObject(parent), m_start(monotonicMs())
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

QtScheduler::~QtScheduler()
{
    for (auto it = m_byTimer.cbegin(); it != m_byTimer.cend(); ++it)
        killTimer(it.key());
}

qint64 QtScheduler::nowMs() const { return monotonicMs() - m_start; }

QDateTime QtScheduler::currentDateTime() const { return QDateTime::currentDateTime(); }

Scheduler::TaskId QtScheduler::schedule(qint64 delayMs, std::function<void()> fn)
{
    const TaskId id = m_next++;
    const qint64 delay = qBound<qint64>(0, delayMs, qint64(INT_MAX));
    m_tasks.insert(id, Task{0, nowMs() + delay, false, std::move(fn)});
    startTimerOf(id, delay);
    return id;
}

Scheduler::TaskId QtScheduler::scheduleAfterActivity(qint64 delayMs, std::function<void()> fn)
{
    const TaskId id = m_next++;
    const qint64 delay = qBound<qint64>(0, delayMs, qint64(INT_MAX));
    m_tasks.insert(id, Task{0, nowMs() + delay, true, std::move(fn)});
    m_waiting << id;
    return id;
}

void QtScheduler::startTimerOf(TaskId id, qint64 delayMs)
{
    Task &t = m_tasks[id];
    t.timerId = startTimer(int(delayMs), Qt::PreciseTimer);
    m_byTimer.insert(t.timerId, id);
}

void QtScheduler::cancel(TaskId id)
{
    auto it = m_tasks.find(id);
    if (it == m_tasks.end())
        return;
    if (it->timerId) {
        killTimer(it->timerId);
        m_byTimer.remove(it->timerId);
    } else {
        m_waiting.removeOne(id);
    }
    m_tasks.erase(it);
}

void QtScheduler::timerEvent(QTimerEvent *event)
{
    const auto it = m_byTimer.constFind(event->timerId());
    if (it != m_byTimer.cend())
        fire(*it);
}

void QtScheduler::wakeWaiting()
{
    // A task that is due runs right after the activity, in the pass the
    // program is awake for anyway. One that is not due yet (activity just
    // after it ran: the reply to a poll, events its own run posted) waits for
    // the next activity instead of waking the program on a timer of its own.
    const qint64 now = nowMs();
    QList<TaskId> notDue;
    for (TaskId id : std::exchange(m_waiting, {})) {
        if (m_tasks[id].due <= now)
            startTimerOf(id, 0);
        else
            notDue << id;
    }
    m_waiting = notDue;
}

bool QtScheduler::eventFilter(QObject *watched, QEvent *event)
{
    if (m_waiting.isEmpty() || watched == this)
        return false;
    switch (event->type()) {
    case QEvent::SockAct:
    case QEvent::Close:
    case QEvent::Shortcut:
    case QEvent::MetaCall:
        wakeWaiting();
        break;
    case QEvent::Timer:
        if (!watched->isWidgetType())
            wakeWaiting();
        break;
    default:
        if (event->isInputEvent())
            wakeWaiting();
        break;
    }
    return false;
}

void QtScheduler::fire(TaskId id)
{
    auto it = m_tasks.find(id);
    if (it == m_tasks.end())
        return;
    killTimer(it->timerId);
    m_byTimer.remove(it->timerId);
    if (m_depth > 0) {
        // Another handler is running (inside a modal loop): try again after it.
        startTimerOf(id, 10);
        return;
    }
    std::function<void()> fn = std::move(it->fn);
    const bool activity = !it->afterActivity;
    m_tasks.erase(it);
    if (activity)
        wakeWaiting();
    ++m_depth;
    fn();
    --m_depth;
}

SimulatedScheduler::SimulatedScheduler(QDateTime start) : m_start(std::move(start)) {}

Scheduler::TaskId SimulatedScheduler::schedule(qint64 delayMs, std::function<void()> fn)
{
    const TaskId id = m_next++;
    const qint64 due = m_now + qMax<qint64>(0, delayMs);
    m_queue.emplace(Key{due, id}, std::move(fn));
    m_dueOf.insert(id, due);
    return id;
}

void SimulatedScheduler::cancel(TaskId id)
{
    auto it = m_dueOf.find(id);
    if (it == m_dueOf.end())
        return;
    m_queue.erase(Key{*it, id});
    m_dueOf.erase(it);
}

void SimulatedScheduler::advance(qint64 ms)
{
    const qint64 end = m_now + qMax<qint64>(0, ms);
    while (!m_queue.empty() && m_queue.begin()->first.due <= end) {
        auto first = m_queue.begin();
        m_now = qMax(m_now, first->first.due);
        std::function<void()> fn = std::move(first->second);
        m_dueOf.remove(first->first.id);
        m_queue.erase(first);
        fn();
    }
    m_now = end;
}
