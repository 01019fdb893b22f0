// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// PosixSerialDevice: a tty (USB adapter, on-board UART or pseudo-terminal)
// behind the SerialDevice seam. Raw termios, exclusive use (flock between
// cooperating programs, TIOCEXCL against the rest), non-blocking reads driven
// by a QSocketNotifier on the GUI thread, and one hang-up report when the
// device goes away.

#include "link/serial_device.h"

#include <QString>

class QSocketNotifier;
struct termios;

class PosixSerialDevice final : public SerialDevice {
public:
    explicit PosixSerialDevice(QString path);
    ~PosixSerialDevice() override;

    bool open(const LineSettings &settings, OpenError *error) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    QString path() const override { return m_path; }

    qint64 bytesWaiting() override;
    QByteArray read(qint64 maxBytes) override;
    bool write(const QByteArray &bytes) override;

    std::optional<quint32> modemState() override;
    quint32 takeLineErrors() override;
    void setDtr(bool on) override;
    void setRts(bool on) override;

    void setCallbacks(std::function<void()> readyRead, std::function<void()> hangUp) override;
    void setNotifyEnabled(bool on) override;

    /// The descriptor (for tests and diagnostics); -1 when closed.
    int fd() const { return m_fd; }

private:
    void onActivated();
    void reportHangUp();
    void setModemLine(int line, bool on);
    bool applySettings(const LineSettings &settings, OpenError *error);
    void releaseNotifier();

    QString m_path;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    bool m_notifyWanted = true;
    bool m_inActivated = false;
    bool m_hungUp = false;
    // Bytes taken while probing a wake-up with nothing queued; served first.
    QByteArray m_stash;
    std::function<void()> m_readyRead;
    std::function<void()> m_hangUp;
    // Line-error counters at the last takeLineErrors().
    struct Counts {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    } m_counts;
};

/// The OpenError kind of an errno from open, flock or tcgetattr.
OpenError::Kind openErrorKind(int err);

namespace posix_serial_detail {
/// Raw mode with the data bits, parity, stop bits and (standard) speed of
/// settings; returns false when the speed has no Bxxx constant.
bool fillTermios(const LineSettings &settings, termios *t);
/// Sets a speed that has no Bxxx constant (14400, 56000) through termios2.
/// Returns 0 or the errno.
int applyCustomBaud(int fd, int baud);
/// Bytes waiting via TIOCINQ; -1 with errno set on failure.
int inputQueueLength(int fd);
/// The output speed in bit/s as the tty holds it (termios2); -1 on failure.
int outputBaud(int fd);
} // namespace posix_serial_detail
