// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TComPort: the one serial port through which the tool talks to a sensor. It
// opens COMn through a DeviceProvider, applies the line settings of TComProp,
// writes request frames and hands every chunk of received bytes to
// OnReadPacket. It knows nothing of frames; that is FrameLink's job.
//
// The reader runs on the GUI thread, driven by the device's readyRead
// notification: it reads at most InBufSize bytes, calls the handler and only
// then lets the device notify again, so a handler that opens a modal dialog is
// never re-entered and the rest of a long burst stays queued in the device.

#include "link/serial_device.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

enum TBaudRate : quint8 {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200
};
enum TByteSize : quint8 { bs5, bs6, bs7, bs8 };
enum TParity : quint8 { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TStopbits : quint8 { sb1BITS, sb1HALFBITS, sb2BITS };

inline constexpr int BaudRateCount = 13;
/// Bit/s of a TBaudRate (110 … 115200).
int baudRateValue(TBaudRate rate);

/// Modem-status bits as GetModemState reports them.
inline constexpr quint32 MS_CTS_ON = 0x10;
inline constexpr quint32 MS_DSR_ON = 0x20;
inline constexpr quint32 MS_RING_ON = 0x40;
inline constexpr quint32 MS_RLSD_ON = 0x80;

/// Line settings of the port.
class TComProp {
public:
    TBaudRate BaudRate = br19200;
    TByteSize ByteSize = bs8;
    TParity Parity = ptNONE;
    TStopbits Stopbits = sb1BITS;
    /// Raises the DTR line while open (the main window's "RTS" box writes this).
    bool EnableRTS = false;
    /// Raises the RTS line while open (the main window's "DTR" box writes this).
    bool EnableDTR = false;

    /// The settings as the device takes them, with the crossed line mapping.
    LineSettings lineSettings() const;

    /// Milliseconds that 18 characters take on the line (doubled when short).
    int waitTxDelayMs() const;
    /// Sleeps for waitTxDelayMs().
    void GetWaitTxDelay() const;
};

/// Device status as GetState reports it.
struct TComStat {
    quint32 cbInQue = 0; ///< bytes waiting in the input queue
};

class TComPort : public QObject {
    Q_OBJECT
public:
    using TReadPacketEvent = std::function<void(const char *packet, int size, quint32 errCode)>;

    explicit TComPort(DeviceProvider *provider = nullptr, QObject *parent = nullptr);
    ~TComPort() override;

    void setProvider(DeviceProvider *provider) { m_provider = provider; }

    int ComNumber() const { return m_comNumber; }
    /// Same number: nothing. Otherwise closes an open port, stores n and reopens
    /// (the reader comes back suspended; the caller sets ReadActive again).
    void setComNumber(int n);

    void Open();
    [[nodiscard]] bool Connect();
    void Close();
    bool Connected() const;
    void setConnected(bool on);

    /// True when a reader exists and is not suspended.
    bool ReadActive() const;
    /// Resumes / suspends the reader; nothing when there is none.
    void setReadActive(bool on);
    /// A reader exists (between a successful open and the next close).
    bool hasReader() const { return m_reader != nullptr; }

    quint32 InBufSize() const { return m_inBufSize; }
    /// Accepted only while closed and when v is not 0.
    void setInBufSize(quint32 v);
    bool WaitFullBuffer() const { return m_waitFullBuffer; }
    void setWaitFullBuffer(bool on) { m_waitFullBuffer = on; }

    TComProp &ComProp() { return m_comProp; }
    const TComProp &ComProp() const { return m_comProp; }

    TReadPacketEvent OnReadPacket;
    /// Fired once when an open port's device goes away (adapter pulled, the other
    /// end of a pty closed); the port has already closed itself.
    std::function<void()> onLinkLost;

    /// Writes the first size bytes of s (all of s when size < 0).
    [[nodiscard]] bool WriteString(const QByteArray &s, int size = -1);
    /// Writes size bytes from p; false when p is empty, the port is closed or the write failed.
    [[nodiscard]] bool WriteBuffer(const char *p, int size);

    /// CTS 0x10, DSR 0x20, RING 0x40, RLSD 0x80. 0 when closed. A device that
    /// cannot report its lines (a pseudo-terminal) gives CTS|DSR|RLSD, so the
    /// modem-line check treats the lines as present; modemStateKnown() tells.
    quint32 GetModemState();
    bool modemStateKnown() const { return m_modemStateKnown; }

    /// Bytes waiting; the pending line-error flags go to codeError and are cleared.
    TComStat GetState(quint32 &codeError);

    /// "\\.\COMn" with fullName, "COMn" otherwise.
    QString GetComName(bool fullName) const;
    void ToggleDTR(bool state);
    void ToggleRTS(bool state);
    /// Appends "COMn" for every port the provider knows.
    void EnumComPorts(QStringList &ports) const;

    /// Why the last Open failed (kind None after a successful open).
    const OpenError &lastOpenError() const { return m_lastOpenError; }
    /// The device of the open port (nullptr when closed).
    SerialDevice *device() const { return m_device.get(); }

private:
    struct Reader {
        bool active = false;
        QByteArray pending; // WaitFullBuffer: bytes gathered towards a full buffer
    };

    void onReadyRead(quint64 generation);
    void onHangUp(quint64 generation);
    void retireDevice();
    void scheduleRetiredCleanup();

    DeviceProvider *m_provider = nullptr;
    int m_comNumber = 1;
    quint32 m_inBufSize = 10;
    bool m_waitFullBuffer = false;
    TComProp m_comProp;
    std::unique_ptr<SerialDevice> m_device;
    std::unique_ptr<Reader> m_reader;
    // Closed devices wait here until control is back in the event loop: a
    // handler may close the port from inside the device's own notification.
    std::vector<std::unique_ptr<SerialDevice>> m_retired;
    quint64 m_generation = 0;
    int m_handlerDepth = 0;
    bool m_modemStateKnown = true;
    OpenError m_lastOpenError;
};
