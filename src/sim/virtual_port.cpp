// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/virtual_port.h"

#include "sim/line_responder.h"

/// The cable between the adapter and the sensor, shared by every device object
/// that stands for the same COM port.
struct VirtualLine {
    bool plugged = true;
    bool linesDropped = false; // the far end lowered CTS and DSR
    QList<VirtualPort *> ports;
};

namespace {
constexpr quint32 ModemCts = 0x10;
constexpr quint32 ModemDsr = 0x20;

// The client may close or even destroy the device from inside a callback; a
// copy keeps the running callable alive until it returns.
void callSafely(const std::function<void()> &callback)
{
    const std::function<void()> copy = callback;
    copy();
}
} // namespace

VirtualPort::VirtualPort(LineResponder &sensor, Scheduler &scheduler, QString path)
    : VirtualPort(sensor, scheduler, std::move(path), std::make_shared<VirtualLine>())
{
}

VirtualPort::VirtualPort(LineResponder &sensor, Scheduler &scheduler, QString path,
                         std::shared_ptr<VirtualLine> line)
    : m_sensor(sensor), m_scheduler(scheduler), m_path(std::move(path)), m_line(std::move(line))
{
    m_line->ports.append(this);
}

VirtualPort::~VirtualPort()
{
    cancelAll();
    m_line->ports.removeOne(this);
}

bool VirtualPort::open(const LineSettings &settings, OpenError *error)
{
    auto fail = [&](OpenError::Kind kind, const QString &text) {
        if (error)
            *error = OpenError{kind, m_path, text};
        return false;
    };
    if (!m_line->plugged)
        return fail(OpenError::Missing, QStringLiteral("No such device (adapter unplugged)"));
    for (const VirtualPort *other : m_line->ports) {
        if (other != this && other->m_open)
            return fail(OpenError::Busy, QStringLiteral("Device or resource busy"));
    }
    m_settings = settings;
    m_open = true;
    m_notify = true;
    if (error)
        *error = OpenError{};
    return true;
}

void VirtualPort::close()
{
    cancelAll();
    m_input.clear();
    m_open = false;
}

QByteArray VirtualPort::read(qint64 maxBytes)
{
    const QByteArray out = m_input.left(maxBytes);
    m_input.remove(0, out.size());
    return out;
}

bool VirtualPort::write(const QByteArray &bytes)
{
    if (!m_open || !m_line->plugged)
        return false;
    const qint64 delay = qMax(0, m_sensor.replyDelayMs());
    if (m_sensor.echoes()) {
        qint64 at = 0;
        for (const QByteArray &chunk : m_sensor.chunksOf(bytes)) {
            later(at, [this, chunk] { deliver(chunk); });
            at += m_chunkGapMs;
        }
    }
    for (const QByteArray &reply : m_sensor.hear(bytes, m_settings.baud)) {
        qint64 at = delay;
        for (const QByteArray &chunk : m_sensor.chunksOf(reply)) {
            later(at, [this, chunk] { deliver(chunk); });
            at += m_chunkGapMs;
        }
    }
    return true;
}

std::optional<quint32> VirtualPort::modemState()
{
    if (!m_open || !m_line->plugged || m_line->linesDropped)
        return 0u;
    return ModemCts | ModemDsr;
}

void VirtualPort::setCallbacks(std::function<void()> readyRead, std::function<void()> hangUp)
{
    m_readyRead = std::move(readyRead);
    m_hangUp = std::move(hangUp);
}

void VirtualPort::setNotifyEnabled(bool on)
{
    m_notify = on;
    if (on && !m_input.isEmpty())
        notifyLater();
}

void VirtualPort::later(qint64 delayMs, std::function<void()> fn)
{
    auto id = std::make_shared<Scheduler::TaskId>(0);
    *id = m_scheduler.schedule(delayMs, [this, id, fn = std::move(fn)] {
        m_pending.removeOne(*id);
        fn();
    });
    m_pending.append(*id);
}

void VirtualPort::deliver(const QByteArray &chunk)
{
    m_input.append(chunk);
    if (m_notify && m_readyRead)
        callSafely(m_readyRead);
}

void VirtualPort::notifyLater()
{
    later(0, [this] {
        if (m_open && m_notify && !m_input.isEmpty() && m_readyRead)
            callSafely(m_readyRead);
    });
}

void VirtualPort::hangUpLater()
{
    later(0, [this] {
        if (m_open && m_hangUp)
            callSafely(m_hangUp);
    });
}

void VirtualPort::cancelAll()
{
    for (Scheduler::TaskId id : m_pending)
        m_scheduler.cancel(id);
    m_pending.clear();
}

void VirtualPort::unplugLine(VirtualLine &line)
{
    line.plugged = false;
    for (VirtualPort *port : line.ports) {
        if (!port->m_open)
            continue;
        port->cancelAll(); // replies in flight are lost with the cable
        port->m_input.clear();
        port->hangUpLater();
    }
}

void VirtualPort::unplug()
{
    unplugLine(*m_line);
}

void VirtualPort::plug()
{
    m_line->plugged = true;
}

bool VirtualPort::isPlugged() const
{
    return m_line->plugged;
}

VirtualDeviceProvider::VirtualDeviceProvider(LineResponder &sensor, Scheduler &scheduler,
                                             int comNumber)
    : m_sensor(sensor), m_scheduler(scheduler), m_comNumber(comNumber),
      m_line(std::make_shared<VirtualLine>())
{
}

std::unique_ptr<SerialDevice> VirtualDeviceProvider::deviceFor(int comNumber)
{
    if (comNumber != m_comNumber)
        return nullptr;
    return std::unique_ptr<SerialDevice>(new VirtualPort(
        m_sensor, m_scheduler, QStringLiteral("virtual:COM%1").arg(comNumber), m_line));
}

void VirtualDeviceProvider::unplug()
{
    VirtualPort::unplugLine(*m_line);
}

void VirtualDeviceProvider::plug()
{
    m_line->plugged = true;
}

void VirtualDeviceProvider::setModemLinesDropped(bool dropped)
{
    m_line->linesDropped = dropped;
}
