// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/frame_link.h"

#include "common/scheduler.h"
#include "link/frame_log.h"
#include "link/link_log.h"
#include "link/trace.h"

namespace {
constexpr int MaxRequestLength = 255;
constexpr int RxBytesSize = 255;
constexpr int BitsPerByte = 10; // start bit, 8 data bits, stop bit

QString hexByte(quint8 b)
{
    return QStringLiteral("%1").arg(uint(b), 2, 16, QLatin1Char('0')).toUpper();
}

bool isRestricted(quint8 command)
{
    return command == CommandTable.SET_SOND_LEN || command == CommandTable.SET_SOND_PAR ||
           command == CommandTable.SET_CAPOFF || command == CommandTable.SET_CAPDAC_A;
}
} // namespace

QString requestTraceText(const QByteArray &frame)
{
    QString text;
    const int n = int(frame.size());
    for (int i = 0; i < n; ++i) {
        const QString digits = hexByte(quint8(frame[i]));
        if (i == 0)
            text += QLatin1String("<= ") + digits;
        else
            text += digits;
        text += (i == n - 1) ? QLatin1String("\r\n") : QLatin1String("  ");
    }
    return text;
}

QString replyTraceText(const QByteArray &reply)
{
    QString text;
    const int n = int(reply.size());
    for (int i = 0; i < n; ++i) {
        if (i == 0)
            text += QLatin1String("=> ");
        text += hexByte(quint8(reply[i])) + QLatin1String("   ");
        if (i == n - 1)
            text += QLatin1String("\r\n");
    }
    return text;
}

FrameLink::FrameLink(TraceSink *trace, Writer writer) : m_trace(trace), m_writer(std::move(writer))
{
}

FrameLink::~FrameLink()
{
    setScheduler(nullptr);
}

void FrameLink::setScheduler(Scheduler *scheduler)
{
    if (m_scheduler && m_timeout)
        m_scheduler->cancel(m_timeout);
    m_timeout = 0;
    m_scheduler = scheduler;
    // Without a clock no reply can be awaited; a new clock starts a free line.
    m_awaiting = false;
}

void FrameLink::setLineSpeed(int bitsPerSecond)
{
    if (bitsPerSecond > 0)
        m_lineSpeed = bitsPerSecond;
}

int FrameLink::replyTimeoutMs(int requestBytes, int replyBytes, int bitsPerSecond)
{
    const int speed = bitsPerSecond > 0 ? bitsPerSecond : 19200;
    const qint64 bits = qint64(requestBytes + replyBytes) * BitsPerByte;
    return TurnaroundMs + int((bits * 1000 + speed - 1) / speed);
}

void FrameLink::WriteComand(quint8 address, quint8 command, const QByteArray &data)
{
    m_held.push_back(Request{address, command, data});
    sendHeld();
}

void FrameLink::sendHeld()
{
    if (m_sending)
        return; // the outer call goes on with the queue
    m_sending = true;
    while (!m_awaiting && !m_held.empty()) {
        const Request next = std::move(m_held.front());
        m_held.pop_front();
        m_awaiting = transmit(next);
    }
    m_sending = false;
}

bool FrameLink::transmit(const Request &request)
{
    const int expected = replyLengthFor(request.command);
    if (expected != 0)
        ExpectedReplyLength = expected;

    if (RestrictedCommands && isRestricted(request.command))
        return false;

    if (request.data.size() > MaxRequestLength - 4) {
        qCWarning(lcLink,
                  "request 0x%02X with %d data bytes refused: a frame holds at most %d bytes",
                  request.command, int(request.data.size()), MaxRequestLength);
        return false;
    }

    const QByteArray frame = buildRequest(request.address, request.command, request.data);
    m_echo = frame;
    m_echoMatched = 0;
    if (m_trace)
        m_trace->insertText(requestTraceText(frame));
    qCDebug(lcLinkHex) << "<=" << frame.toHex(' ');
    if (m_log)
        m_log->sent(frame);
    const bool written = m_writer ? m_writer(frame) : false;
    // A request that did not reach the line, or that no reply answers, keeps
    // nothing waiting; neither does a link without a clock.
    if (!written || expected == 0 || !m_scheduler)
        return false;
    m_timeout =
        m_scheduler->schedule(replyTimeoutMs(int(frame.size()), expected, m_lineSpeed), [this] {
            m_timeout = 0;
            qCDebug(lcLink, "no reply in time: the line is free for the next request");
            m_awaiting = false;
            sendHeld();
        });
    return true;
}

int FrameLink::skipEcho(const char *packet, int size)
{
    // An echo comes before any byte of the reply, so only a chunk that starts
    // on an empty buffer can carry one. The first byte tells: a request starts
    // with "1", a reply with ">". A byte that differs from the request ends
    // the expectation (an adapter that does not echo, or noise).
    int skipped = 0;
    while (!m_echo.isEmpty() && RxBuffer.isEmpty() && skipped < size) {
        if (packet[skipped] != m_echo.at(m_echoMatched)) {
            // Not our request after all: what matched of it here is judged
            // with the rest of the chunk.
            m_echo.clear();
            return 0;
        }
        ++skipped;
        if (++m_echoMatched == m_echo.size()) {
            qCDebug(lcLink, "request echo of %d bytes skipped", m_echoMatched);
            m_echo.clear();
        }
    }
    m_echoSkipped += skipped;
    return skipped;
}

void FrameLink::ResetLine()
{
    if (m_scheduler && m_timeout)
        m_scheduler->cancel(m_timeout);
    m_timeout = 0;
    m_awaiting = false;
    if (!m_held.empty())
        qCDebug(lcLink, "%d held requests dropped with the line", int(m_held.size()));
    m_held.clear();
}

void FrameLink::FPortReadPacket(const char *packet, int size, quint32 errCode)
{
    Q_UNUSED(errCode);
    // A two-wire RS-485 adapter without echo suppression hands our own request
    // back before the reply. Those bytes came from us, not from the sensor:
    // they are skipped, never joined to a reply, never rejected as noise, and
    // they are no sign that the sensor answers.
    if (packet && size > 0) {
        const int echoed = skipEcho(packet, size);
        if (echoed == size)
            return;
        packet += echoed;
        size -= echoed;
    }

    CrcError = false;

    if (packet && size > 0)
        RxBuffer.append(packet, size);
    const int n = int(RxBuffer.size());
    if (n == 0) {
        // An empty hand-over carries nothing to judge; only the end-of-chunk step runs.
        if (!FrameError && onEndOfChunk)
            onEndOfChunk();
        return;
    }
    RxBytes = RxBuffer.left(RxBytesSize);
    const QByteArray work = RxBuffer;
    qCDebug(lcLinkHex) << "=> chunk" << QByteArray(packet, qMax(size, 0)).toHex(' ') << "buffer"
                       << n;

    // A reply starts with ">". Anything else (line noise, or our own request
    // echoed by a two-wire RS-485 adapter, which has the right CRC and may have
    // the expected length) is thrown away, never dispatched.
    if (quint8(RxBytes[0]) != ReplyLead || n > MaxReplyAccumulation) {
        RxBuffer.clear();
        if (m_log)
            m_log->discarded(work);
        if (m_trace)
            m_trace->addLine(DiscardMarker);
        FrameError = true;
        qCDebug(lcLink, "%d received bytes discarded: not a reply", n);
        return;
    }

    // The awaited reply is here (a CRC failure ends the wait as well): the line
    // is free before anything is dispatched, so a message a decoder opens holds
    // no request back. Requests held meanwhile go out first, in the order they
    // were made; what the dispatch asks for follows them.
    const bool ended = n == ExpectedReplyLength;
    if (!ended) {
        if (!FrameError && onEndOfChunk)
            onEndOfChunk();
        return;
    }
    if (m_scheduler && m_timeout)
        m_scheduler->cancel(m_timeout);
    m_timeout = 0;
    m_awaiting = false;

    FrameError = false;
    const QByteArray reply = work.left(n);
    RxBuffer.clear();
    if (CalcCRC(reply.constData(), n - 1) != quint8(reply[n - 1])) {
        CrcError = true;
        if (m_log)
            m_log->badCrc(reply);
        if (m_trace)
            m_trace->addLine(CrcErrorMarker);
        qCDebug(lcLink, "reply of %d bytes failed its CRC", n);
        sendHeld();
    } else {
        if (onReplyMatched)
            onReplyMatched();
        FrameError = false;
        ReplyLengthText = QString::number(n);
        for (int k = 1; k <= n && k < int(ReplyHex.size()); ++k)
            ReplyHex[size_t(k)] = hexByte(quint8(reply[k - 1]));
        if (m_trace)
            m_trace->insertText(replyTraceText(reply));
        if (m_log)
            m_log->received(reply);
        sendHeld();
        if (onReplyAccepted)
            onReplyAccepted(reply);
    }

    if (!FrameError && onEndOfChunk)
        onEndOfChunk();
}

void FrameLink::ClearReply()
{
    ReplyLengthText = QStringLiteral("0");
    for (size_t k = 1; k < ReplyHex.size(); ++k)
        ReplyHex[k] = QStringLiteral("0");
}

int FrameLink::replyByte(int k) const
{
    if (k < 1 || k >= int(ReplyHex.size()))
        return 0;
    bool ok = false;
    const int v = ReplyHex[size_t(k)].toInt(&ok, 16);
    return ok ? v : 0;
}

QByteArray FrameLink::replyBytes() const
{
    const int n = qBound(0, ReplyLengthText.toInt(), int(ReplyHex.size()) - 1);
    QByteArray bytes;
    bytes.reserve(n);
    for (int k = 1; k <= n; ++k)
        bytes.append(char(replyByte(k)));
    return bytes;
}
