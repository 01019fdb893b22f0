#include "common/scheduler.h"

#include <QElapsedTimer>
#include <QTimer>

static qint64 monotonicMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

QtScheduler::QtScheduler(QObject *parent) : QObject(parent), m_start(monotonicMs()) {}

QtScheduler::~QtScheduler()
{
    for (auto &t : m_tasks)
        delete t.timer;
}

qint64 QtScheduler::nowMs() const { return monotonicMs() - m_start; }

QDateTime QtScheduler::currentDateTime() const { return QDateTime::currentDateTime(); }

Scheduler::TaskId QtScheduler::schedule(qint64 delayMs, std::function<void()> fn)
{
    const TaskId id = m_next++;
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id] { fire(id); });
    m_tasks.insert(id, Task{timer, std::move(fn)});
    timer->start(int(qBound<qint64>(0, delayMs, qint64(INT_MAX))));
    return id;
}

void QtScheduler::cancel(TaskId id)
{
    auto it = m_tasks.find(id);
    if (it == m_tasks.end())
        return;
    it->timer->deleteLater();
    m_tasks.erase(it);
}

void QtScheduler::fire(TaskId id)
{
    auto it = m_tasks.find(id);
    if (it == m_tasks.end())
        return;
    if (m_depth > 0) {
        // Another handler is running (inside a modal loop): try again after it.
        it->timer->start(10);
        return;
    }
    std::function<void()> fn = std::move(it->fn);
    it->timer->deleteLater();
    m_tasks.erase(it);
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
