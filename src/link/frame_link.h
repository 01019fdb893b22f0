// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The frame layer between the main window and the port: builds and traces each
// request (WriteComand), joins the chunks the port delivers into a reply,
// checks lead byte, length and CRC, traces the accepted reply and fills
// ReplyHex for the decoders (FPortReadPacket). What an accepted reply sets in
// motion is plugged in through the callbacks.
//
// The sensor line is half-duplex and a reply is recognised only by its
// length, so two requests on the line at once garble both replies. Given a
// clock, the link keeps one request on the line at a time: a request made
// while another awaits its reply is held, and the held requests go out in the
// order they were made, each when the reply before it has arrived (whole,
// whatever its CRC) or its time-out has passed. The line is free as soon as a
// reply is whole, before it is dispatched, so a message box that a decoder
// opens holds nothing back.
//
// On a two-wire RS-485 line an adapter without echo suppression hands every
// request back before the reply; the link recognises its own request and
// skips it.

#include "link/frame.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <deque>
#include <functional>

class Scheduler;
class FrameLog;
class TraceSink;

class FrameLink {
public:
    /// Sends the bytes of one request; the window wires TComPort::WriteString.
    /// The result is not examined (a failed write shows up as a missing reply).
    using Writer = std::function<bool(const QByteArray &frame)>;

    explicit FrameLink(TraceSink *trace = nullptr, Writer writer = {});
    ~FrameLink();
    FrameLink(const FrameLink &) = delete;
    FrameLink &operator=(const FrameLink &) = delete;

    void setTrace(TraceSink *trace) { m_trace = trace; }
    void setWriter(Writer writer) { m_writer = std::move(writer); }
    /// The clock that times awaited replies out. Without one the link cannot
    /// tell a lost reply from a late one, so every request goes out at once.
    void setScheduler(Scheduler *scheduler);
    /// Line speed in bit/s; the reply time-out allows for the bytes' travel.
    void setLineSpeed(int bitsPerSecond);
    /// Where every request sent and every reply received (or rejected) is
    /// logged; none by default. The log must outlive the link or be unset.
    void setFrameLog(FrameLog *log) { m_log = log; }
    FrameLog *frameLog() const { return m_log; }

    /// Builds, traces and writes one request frame to address, or holds it
    /// while another request awaits its reply. Sets ExpectedReplyLength when
    /// the request goes out (also when RestrictedCommands suppresses the send).
    /// data longer than a 255-byte frame allows is refused unsent.
    void WriteComand(quint8 address, quint8 command, const QByteArray &data = {});

    /// Forgets the awaited reply and drops every held request: the port has
    /// closed or the link is lost, and nothing asked of the old line may go
    /// out later to a new search.
    void ResetLine();
    /// A sent request awaits its reply.
    bool awaitingReply() const { return m_awaiting; }
    /// Requests held until the line is free, oldest first.
    int heldRequests() const { return int(m_held.size()); }
    /// Bytes of our own requests handed back by an echoing adapter and
    /// skipped, since the link was made.
    qint64 echoBytesSkipped() const { return m_echoSkipped; }

    /// How long a request may wait for its reply before the next one goes out:
    /// the sensor's turnaround plus both frames' travel at the line speed.
    static int replyTimeoutMs(int requestBytes, int replyBytes, int bitsPerSecond);
    /// The sensor's allowance between the end of a request and its reply.
    static constexpr int TurnaroundMs = 100;

    /// The port's OnReadPacket handler (framing half). errCode is ignored.
    void FPortReadPacket(const char *packet, int size, quint32 errCode);

    /// The poller's reset before DATA_READ: a decoder run after a time-out reads zeros.
    void ClearReply();

    /// Byte k (1…50) of the last accepted reply as read from ReplyHex; 0 for "0",
    /// an empty entry or k out of range.
    int replyByte(int k) const;
    /// Bytes 1…L of the last accepted reply (L = ReplyLengthText); empty after ClearReply.
    QByteArray replyBytes() const;

    /// A complete reply passed its CRC (the window toggles the lamp sInd).
    std::function<void()> onReplyMatched;
    /// Dispatch of the accepted reply (bytes 1…L, lead to CRC).
    std::function<void(const QByteArray &reply)> onReplyAccepted;
    /// End-of-chunk updates, run only while FrameError is clear.
    std::function<void()> onEndOfChunk;

    // Shared state read by the decoders and the dispatcher.
    int ExpectedReplyLength = 0;
    QByteArray RxBuffer;
    QByteArray RxBytes;               ///< copy of RxBuffer taken on every chunk, at most 255 bytes
    std::array<QString, 51> ReplyHex; ///< [1…50] used: two upper-case hex digits
    QString ReplyLengthText;
    bool FrameError = false;
    bool CrcError = false;
    bool RestrictedCommands = false;

private:
    struct Request {
        quint8 address;
        quint8 command;
        QByteArray data;
    };
    /// Sends held requests while the line is free.
    void sendHeld();
    /// Puts one request on the line; true when a reply to it is now awaited.
    bool transmit(const Request &request);
    /// How many leading bytes of a received chunk are the echo of the request
    /// last sent (an RS-485 adapter without echo suppression).
    int skipEcho(const char *packet, int size);

    TraceSink *m_trace = nullptr;
    FrameLog *m_log = nullptr;
    Writer m_writer;
    Scheduler *m_scheduler = nullptr;
    int m_lineSpeed = 19200;
    std::deque<Request> m_held;
    bool m_awaiting = false;
    bool m_sending = false;
    quint64 m_timeout = 0; ///< Scheduler task of the awaited reply's time-out
    QByteArray m_echo;     ///< the request last sent while its echo may still come
    int m_echoMatched = 0; ///< bytes of m_echo received so far
    qint64 m_echoSkipped = 0;
};

/// The "<= …" trace text of a request frame, CRC digits and "\r\n" at the end.
QString requestTraceText(const QByteArray &frame);
/// The "=> …" trace text of an accepted reply (three spaces after each byte).
QString replyTraceText(const QByteArray &reply);

inline const QString DiscardMarker = QStringLiteral("<<<<<<<<<<<<<!>>>>>>>>>>>>>>");
inline const QString CrcErrorMarker = QStringLiteral("Err_CRC");
