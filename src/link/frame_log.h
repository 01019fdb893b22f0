// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The frame log for support: every frame sent to and received from the sensor,
// one line each, appended to a file and flushed as it is written, so the file
// is complete up to the moment a program is killed or the machine hangs.
//
//   123456789 TX 31 05 42 A7 READ_SN
//   123456794 RX 3E 05 42 … 9C READ_SN
//   123457801 RX 3E 05 42 … 00 READ_SN bad-CRC
//   123458802 RX 00 3E 05 discarded
//
// Lines starting with "#" are headers: the program and the wall-clock time
// when the log was opened, and each port opened with its adapter and speed.
// The first field is a monotonic clock in milliseconds (it never jumps with
// the wall clock; the header line of each run gives the wall-clock time it
// corresponds to), then the direction (TX to the sensor, RX from it), the
// bytes in hexadecimal and the command's name. Received data the frame layer
// rejects is logged too, marked "bad-CRC" or "discarded". When the file would
// grow past its size limit it is renamed to FILE.1 (replacing an older one)
// and a new FILE is started, so a log left running for days keeps the latest
// traffic in at most twice the limit.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

class FrameLog {
public:
    /// Milliseconds of a monotonic clock.
    using Clock = std::function<qint64()>;
    /// The size at which the log is rotated.
    static constexpr qint64 DefaultMaxBytes = 10 * 1024 * 1024;

    /// Without a clock the system's monotonic clock is used.
    explicit FrameLog(qint64 maxBytes = DefaultMaxBytes, Clock clock = {});

    /// Opens path for appending and writes a header line naming the program.
    /// Returns an error text, empty on success.
    [[nodiscard]] QString open(const QString &path, const QString &program);
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    /// A header line naming the port just opened ("COM3 — FT232R USB UART
    /// (FTDI), ttyUSB0") and its speed, so a log tells which adapter it saw.
    void portOpened(const QString &port, int bitsPerSecond);
    /// A request frame as it went to the port.
    void sent(const QByteArray &frame);
    /// A reply the frame layer accepted.
    void received(const QByteArray &reply);
    /// A complete reply whose CRC did not match.
    void badCrc(const QByteArray &reply);
    /// Received bytes thrown away as not a reply (noise, or too long).
    void discarded(const QByteArray &bytes);

private:
    void write(const char *direction, const QByteArray &bytes, const QString &tail);
    void writeLine(const QByteArray &line);
    QByteArray header(const QString &text) const;

    qint64 m_maxBytes;
    Clock m_clock;
    QFile m_file;
    QString m_program;
    bool m_failed = false;
};
