// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Time as a seam. Every timer of the tool and every delayed delivery of port
// bytes goes through a Scheduler: the program uses the Qt event loop, tests use
// SimulatedScheduler, which jumps time forward instantly and fires what is due
// in time order.

#include <QDateTime>
#include <QObject>
#include <QHash>
#include <functional>
#include <map>

class QEvent;
class QTimerEvent;

class Scheduler {
public:
    using TaskId = quint64;
    virtual ~Scheduler() = default;

    /// Milliseconds since an arbitrary start; monotonic.
    virtual qint64 nowMs() const = 0;
    /// Local wall-clock time (the clock panel, suggested protocol names).
    virtual QDateTime currentDateTime() const = 0;
    /// Runs fn once, delayMs from now (0: as soon as the current handler returns).
    virtual TaskId schedule(qint64 delayMs, std::function<void()> fn) = 0;
    /// Cancels a task that has not run yet; unknown ids are ignored.
    virtual void cancel(TaskId id) = 0;
    /// Like schedule(), for a check of state that only the program's own handlers
    /// change (the caption, menu states): the program is never woken for it. The
    /// task runs right after the first thing the program handles at or after its
    /// time (a timer, bytes from the port, a key or a click). The simulated clock
    /// runs it like schedule(): there every step of a test is time passing.
    virtual TaskId scheduleAfterActivity(qint64 delayMs, std::function<void()> fn)
    {
        return schedule(delayMs, std::move(fn));
    }
};

/// The program's scheduler: single-shot timers on the GUI thread's event loop.
/// A task that becomes due while another task runs (a modal message box spins
/// the loop) waits until that task has returned, so handlers never nest.
/// Activity, for scheduleAfterActivity(): a task of schedule() running, port
/// bytes or another socket, user input, a window closed, a queued call, a timer
/// outside this scheduler that is not a widget's own (cursor blink, hover).
class QtScheduler final : public QObject, public Scheduler {
    Q_OBJECT
public:
    explicit QtScheduler(QObject *parent = nullptr);
    ~QtScheduler() override;
    qint64 nowMs() const override;
    QDateTime currentDateTime() const override;
    TaskId schedule(qint64 delayMs, std::function<void()> fn) override;
    TaskId scheduleAfterActivity(qint64 delayMs, std::function<void()> fn) override;
    void cancel(TaskId id) override;

protected:
    void timerEvent(QTimerEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fire(TaskId id);
    void startTimerOf(TaskId id, qint64 delayMs);
    /// Starts the timers of the tasks that waited for activity.
    void wakeWaiting();
    struct Task {
        int timerId; // 0 while waiting for activity
        qint64 due;
        bool afterActivity;
        std::function<void()> fn;
    };
    QHash<TaskId, Task> m_tasks;
    QHash<int, TaskId> m_byTimer;
    QList<TaskId> m_waiting;
    TaskId m_next = 1;
    int m_depth = 0;
    qint64 m_start;
};

/// Simulated clock for tests: nothing happens until advance() is called.
class SimulatedScheduler final : public Scheduler {
public:
    explicit SimulatedScheduler(QDateTime start = QDateTime(QDate(2026, 1, 15), QTime(10, 0, 0)));
    qint64 nowMs() const override { return m_now; }
    QDateTime currentDateTime() const override { return m_start.addMSecs(m_now); }
    TaskId schedule(qint64 delayMs, std::function<void()> fn) override;
    void cancel(TaskId id) override;

    /// Moves time forward by ms, running every task that falls due, in time
    /// order (tasks due at the same time in the order they were scheduled).
    /// Tasks scheduled by a running task are run too if they fall due in time.
    void advance(qint64 ms);
    /// Runs the tasks that are due now (delay 0) without moving time.
    void runDue() { advance(0); }
    /// Number of tasks waiting.
    int pending() const { return int(m_queue.size()); }

private:
    struct Key {
        qint64 due;
        TaskId id;
        bool operator<(const Key &o) const { return due != o.due ? due < o.due : id < o.id; }
    };
    std::map<Key, std::function<void()>> m_queue;
    QHash<TaskId, qint64> m_dueOf;
    TaskId m_next = 1;
    qint64 m_now = 0;
    QDateTime m_start;
};
