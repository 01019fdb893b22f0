// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The transport seam under TComPort: one open serial device. The real one is a
// POSIX tty (termios, read on the GUI thread through a QSocketNotifier); tests
// and the demo mode plug in sim's VirtualPort, which talks to a VirtualSensor
// through the Scheduler.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

/// Line settings as TComProp holds them, already resolved to numbers.
struct LineSettings {
    int baud = 19200;
    int dataBits = 8;   // 5..8
    int parity = 0;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0;   // 0: 1, 1: 1.5, 2: 2
    bool dtrOn = false; // line raised while open
    bool rtsOn = false;
};

/// Why an open failed, so the caller can say it plainly.
struct OpenError {
    enum Kind { None, Missing, Busy, Permission, NotSerial, Other } kind = None;
    QString device; // the device path tried
    QString text;   // system's reason (strerror) or our own
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    /// Opens the device exclusively and applies the settings.
    virtual bool open(const LineSettings &settings, OpenError *error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    /// Device path (or "virtual:…") for messages.
    virtual QString path() const = 0;

    /// Bytes waiting in the input queue.
    virtual qint64 bytesWaiting() = 0;
    /// Reads at most maxBytes of what is waiting (never blocks).
    virtual QByteArray read(qint64 maxBytes) = 0;
    /// Writes all bytes; returns once the device has taken them (false on failure).
    virtual bool write(const QByteArray &bytes) = 0;

    /// Modem-status bits (CTS 0x10, DSR 0x20, RING 0x40, RLSD 0x80); nullopt when
    /// the device cannot report them (a pseudo-terminal).
    virtual std::optional<quint32> modemState() = 0;
    /// Pending line-error flags; reading clears them.
    virtual quint32 takeLineErrors() { return 0; }
    virtual void setDtr(bool) {}
    virtual void setRts(bool) {}

    /// Notification hooks, called on the GUI thread: bytes have arrived; the
    /// device went away (adapter pulled, other end of a pty closed).
    /// setNotifyEnabled(false) holds notifications back (while a chunk is being
    /// handled); re-enabling notifies again if bytes are still waiting.
    virtual void setCallbacks(std::function<void()> readyRead, std::function<void()> hangUp) = 0;
    virtual void setNotifyEnabled(bool on) = 0;
};

/// Maps port numbers COM1…COM255 to devices.
class DeviceProvider {
public:
    virtual ~DeviceProvider() = default;
    /// A device object for COMn, or nullptr when no device is known for n.
    virtual std::unique_ptr<SerialDevice> deviceFor(int comNumber) = 0;
    /// The port numbers this provider knows, ascending (for listing the ports).
    virtual QList<int> portNumbers() const { return {}; }
    /// Called before a port scan: a provider that maps numbers to devices found
    /// on the machine gives newly plugged devices their number here.
    virtual void refreshPorts() {}
    /// How an installer knows COMn's device: "FT232R USB UART (FTDI), ttyUSB0";
    /// empty when nothing is known.
    virtual QString portSummary(int comNumber) const
    {
        Q_UNUSED(comNumber);
        return {};
    }
};
