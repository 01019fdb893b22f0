// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/comport.h"

#include "link/link_log.h"

#include <QMetaObject>
#include <QThread>

namespace {
constexpr int BaudRates[BaudRateCount] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                          14400, 19200, 38400, 56000, 57600, 115200};
}

int baudRateValue(TBaudRate rate)
{
    const int i = int(rate);
    return (i >= 0 && i < BaudRateCount) ? BaudRates[i] : 19200;
}

LineSettings TComProp::lineSettings() const
{
    LineSettings s;
    s.baud = baudRateValue(BaudRate);
    s.dataBits = int(ByteSize) + 5;
    s.parity = int(Parity);
    s.stopBits = int(Stopbits);
    // Crossed on purpose: each check box of the window drives the line its caption names.
    s.dtrOn = EnableRTS;
    s.rtsOn = EnableDTR;
    return s;
}

int TComProp::waitTxDelayMs() const
{
    int bits = int(ByteSize) + 5 + 2;
    if (Parity != ptNONE)
        ++bits;
    if (Stopbits == sb2BITS)
        ++bits;
    // In units of 100 ns, with the integer division first as the delay was always computed.
    qint64 t = qint64(10000000 / baudRateValue(BaudRate)) * bits * 18;
    if (t < 10000)
        t *= 2;
    return int((t + 9999) / 10000);
}

void TComProp::GetWaitTxDelay() const
{
    QThread::msleep(ulong(waitTxDelayMs()));
}

TComPort::TComPort(DeviceProvider *provider, QObject *parent)
    : QObject(parent), m_provider(provider)
{
}

TComPort::~TComPort()
{
    Close();
    m_retired.clear();
}

void TComPort::setComNumber(int n)
{
    if (n == m_comNumber)
        return;
    const bool wasOpen = Connected();
    if (wasOpen)
        Close();
    m_comNumber = n;
    if (wasOpen)
        Open();
}

void TComPort::Open()
{
    if (Connected())
        return;
    m_lastOpenError = {};
    std::unique_ptr<SerialDevice> device =
        m_provider ? m_provider->deviceFor(m_comNumber) : nullptr;
    if (!device) {
        m_lastOpenError.kind = OpenError::Missing;
        m_lastOpenError.device = GetComName(false);
        m_lastOpenError.text = QStringLiteral("no device is assigned to %1").arg(GetComName(false));
        qCDebug(lcLink) << "open" << GetComName(false) << "failed:" << m_lastOpenError.text;
        return;
    }
    OpenError error;
    if (!device->open(m_comProp.lineSettings(), &error)) {
        if (error.kind == OpenError::None)
            error.kind = OpenError::Other;
        if (error.device.isEmpty())
            error.device = device->path();
        m_lastOpenError = error;
        qCDebug(lcLink) << "open" << GetComName(false) << error.device << "failed:" << error.text;
        return;
    }

    m_device = std::move(device);
    const quint64 generation = ++m_generation;
    m_device->setNotifyEnabled(false); // the reader starts suspended
    m_device->setCallbacks([this, generation] { onReadyRead(generation); },
                           [this, generation] { onHangUp(generation); });
    m_reader = std::make_unique<Reader>();
    m_modemStateKnown = true;
    qCInfo(lcLink) << GetComName(false) << "opened on" << m_device->path();
}

bool TComPort::Connect()
{
    Open();
    return Connected();
}

void TComPort::Close()
{
    if (!Connected())
        return;
    setReadActive(false);
    m_reader.reset();
    ++m_generation; // notifications of the old device are stale from here on
    m_device->setNotifyEnabled(false);
    m_device->close();
    qCInfo(lcLink) << GetComName(false) << "closed";
    retireDevice();
}

void TComPort::retireDevice()
{
    m_retired.push_back(std::move(m_device));
    scheduleRetiredCleanup();
}

void TComPort::scheduleRetiredCleanup()
{
    // A device may only go once no hand-over is on the stack: a modal dialog in
    // the handler runs this queued call from a nested loop while the device's
    // own notification is still below it. onReadyRead posts it again then.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_handlerDepth == 0)
                m_retired.clear();
        },
        Qt::QueuedConnection);
}

bool TComPort::Connected() const
{
    return m_device && m_device->isOpen();
}

void TComPort::setConnected(bool on)
{
    if (on)
        Open();
    else
        Close();
}

bool TComPort::ReadActive() const
{
    return m_reader && m_reader->active;
}

void TComPort::setReadActive(bool on)
{
    if (!m_reader || m_reader->active == on)
        return;
    m_reader->active = on;
    // Inside the handler the hand-over re-enables notification when it returns.
    if (m_handlerDepth == 0 && Connected())
        m_device->setNotifyEnabled(on);
}

void TComPort::setInBufSize(quint32 v)
{
    if (Connected() || v == 0)
        return;
    m_inBufSize = v;
}

void TComPort::onReadyRead(quint64 generation)
{
    if (generation != m_generation || !Connected() || !ReadActive() || m_handlerDepth > 0)
        return;
    SerialDevice *device = m_device.get();
    device->setNotifyEnabled(false);

    const qint64 waiting = device->bytesWaiting();
    QByteArray chunk;
    if (waiting > 0) {
        if (m_waitFullBuffer) {
            // Gather until a full buffer is there; the handler sees exactly InBufSize bytes.
            QByteArray &pending = m_reader->pending;
            pending += device->read(qMin<qint64>(waiting, qint64(m_inBufSize) - pending.size()));
            if (pending.size() >= qint64(m_inBufSize)) {
                chunk = pending;
                pending.clear();
            }
        } else {
            chunk = device->read(qMin<qint64>(waiting, qint64(m_inBufSize)));
        }
    }

    if (!chunk.isEmpty()) {
        const quint32 errors = device->takeLineErrors();
        ++m_handlerDepth;
        if (OnReadPacket)
            OnReadPacket(chunk.constData(), int(chunk.size()), errors);
        --m_handlerDepth;
        if (!m_retired.empty())
            scheduleRetiredCleanup();
    }

    // The handler may have closed the port, reopened it or suspended the reader.
    if (generation == m_generation && Connected() && ReadActive())
        m_device->setNotifyEnabled(true);
}

void TComPort::onHangUp(quint64 generation)
{
    if (generation != m_generation || !Connected())
        return;
    qCWarning(lcLink) << GetComName(false) << "on" << m_device->path()
                      << "hung up; closing the port";
    Close();
    if (onLinkLost)
        onLinkLost();
}

bool TComPort::WriteString(const QByteArray &s, int size)
{
    const int n = (size < 0 || size > s.size()) ? int(s.size()) : size;
    return WriteBuffer(s.constData(), n);
}

bool TComPort::WriteBuffer(const char *p, int size)
{
    if (!p || size <= 0 || !Connected())
        return false;
    return m_device->write(QByteArray(p, size));
}

quint32 TComPort::GetModemState()
{
    if (!Connected())
        return 0;
    const std::optional<quint32> state = m_device->modemState();
    m_modemStateKnown = state.has_value();
    return state ? *state : (MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON);
}

TComStat TComPort::GetState(quint32 &codeError)
{
    codeError = 0;
    TComStat stat;
    if (!Connected())
        return stat;
    codeError = m_device->takeLineErrors();
    stat.cbInQue = quint32(qMax<qint64>(0, m_device->bytesWaiting()));
    return stat;
}

QString TComPort::GetComName(bool fullName) const
{
    return (fullName ? QStringLiteral("\\\\.\\COM") : QStringLiteral("COM")) +
           QString::number(m_comNumber);
}

void TComPort::ToggleDTR(bool state)
{
    if (Connected())
        m_device->setDtr(state);
}

void TComPort::ToggleRTS(bool state)
{
    if (Connected())
        m_device->setRts(state);
}

void TComPort::EnumComPorts(QStringList &ports) const
{
    if (!m_provider)
        return;
    for (int n : m_provider->portNumbers())
        ports.append(QStringLiteral("COM") + QString::number(n));
}
