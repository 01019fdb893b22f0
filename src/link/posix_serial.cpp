// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/posix_serial.h"

#include "link/link_log.h"

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
// A write the device does not take within this time counts as failed, so a
// stalled adapter cannot freeze the window.
constexpr int WriteTimeoutMs = 2000;

QString errnoText(int err)
{
    return QString::fromLocal8Bit(strerror(err));
}

speed_t standardSpeed(int baud)
{
    switch (baud) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0; // no constant: set through termios2
    }
}

bool isHangUpErrno(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV;
}
} // namespace

bool posix_serial_detail::fillTermios(const LineSettings &settings, termios *t)
{
    cfmakeraw(t);
    t->c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK);
    t->c_cflag |= CLOCAL | CREAD;
    t->c_cflag &= ~tcflag_t(CRTSCTS | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    switch (settings.dataBits) {
    case 5:
        t->c_cflag |= CS5;
        break;
    case 6:
        t->c_cflag |= CS6;
        break;
    case 7:
        t->c_cflag |= CS7;
        break;
    default:
        t->c_cflag |= CS8;
        break;
    }
    switch (settings.parity) {
    case 1:
        t->c_cflag |= PARENB | PARODD;
        break;
    case 2:
        t->c_cflag |= PARENB;
        break;
    case 3:
        t->c_cflag |= PARENB | CMSPAR | PARODD;
        break; // mark
    case 4:
        t->c_cflag |= PARENB | CMSPAR;
        break; // space
    default:
        break;
    }
    // termios has no 1.5 stop bits; UARTs send 1.5 for CSTOPB with 5 data bits.
    if (settings.stopBits != 0)
        t->c_cflag |= CSTOPB;
    t->c_cc[VMIN] = 0;
    t->c_cc[VTIME] = 0;

    const speed_t speed = standardSpeed(settings.baud);
    if (speed == B0)
        return false;
    cfsetispeed(t, speed);
    cfsetospeed(t, speed);
    return true;
}

OpenError::Kind openErrorKind(int err)
{
    switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return OpenError::Missing;
    case EBUSY:
    case EWOULDBLOCK:
        return OpenError::Busy;
    case EACCES:
    case EPERM:
        return OpenError::Permission;
    case ENOTTY:
    case EINVAL:
        return OpenError::NotSerial;
    default:
        return OpenError::Other;
    }
}

PosixSerialDevice::PosixSerialDevice(QString path) : m_path(std::move(path)) {}

PosixSerialDevice::~PosixSerialDevice()
{
    close();
}

bool PosixSerialDevice::open(const LineSettings &settings, OpenError *error)
{
    auto fail = [&](OpenError::Kind kind, const QString &text) {
        if (error) {
            error->kind = kind;
            error->device = m_path;
            error->text = text;
        }
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        return false;
    };
    if (isOpen())
        return true;
    m_hungUp = false;
    m_stash.clear();
    m_counts = {};

    const QByteArray native = m_path.toLocal8Bit();
    m_fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        const int err = errno;
        return fail(openErrorKind(err), errnoText(err));
    }
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        return fail(err == EWOULDBLOCK ? OpenError::Busy : openErrorKind(err),
                    err == EWOULDBLOCK ? QStringLiteral("the port is in use by another program")
                                       : errnoText(err));
    }
    struct termios probe;
    if (tcgetattr(m_fd, &probe) != 0) {
        const int err = errno;
        return fail(OpenError::NotSerial,
                    QStringLiteral("not a serial device (%1)").arg(errnoText(err)));
    }
    // Keeps programs that do not use flock from opening the port under us.
    (void)ioctl(m_fd, TIOCEXCL);

    if (!applySettings(settings, error)) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    setModemLine(TIOCM_DTR, settings.dtrOn);
    setModemLine(TIOCM_RTS, settings.rtsOn);
    tcflush(m_fd, TCIOFLUSH);

    serial_icounter_struct ic;
    if (ioctl(m_fd, TIOCGICOUNT, &ic) == 0)
        m_counts = {ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun};

    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    m_notifier->setEnabled(m_notifyWanted);
    QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier,
                     [this] { onActivated(); });
    return true;
}

bool PosixSerialDevice::applySettings(const LineSettings &settings, OpenError *error)
{
    auto fail = [&](const QString &text) {
        if (error) {
            error->kind = OpenError::Other;
            error->device = m_path;
            error->text = text;
        }
        return false;
    };
    struct termios t;
    if (tcgetattr(m_fd, &t) != 0)
        return fail(errnoText(errno));
    const bool standard = posix_serial_detail::fillTermios(settings, &t);
    if (tcsetattr(m_fd, TCSANOW, &t) != 0)
        return fail(QStringLiteral("line settings refused (%1)").arg(errnoText(errno)));
    if (!standard) {
        if (const int err = posix_serial_detail::applyCustomBaud(m_fd, settings.baud); err != 0)
            return fail(
                QStringLiteral("%1 bit/s refused (%2)").arg(settings.baud).arg(errnoText(err)));
    }
    return true;
}

void PosixSerialDevice::releaseNotifier()
{
    if (!m_notifier)
        return;
    m_notifier->setEnabled(false);
    // Deleting a notifier from inside its own activation is not safe.
    if (m_inActivated)
        m_notifier->deleteLater();
    else
        delete m_notifier;
    m_notifier = nullptr;
}

void PosixSerialDevice::close()
{
    if (m_fd < 0)
        return;
    releaseNotifier();
    (void)ioctl(m_fd, TIOCNXCL);
    ::close(m_fd); // also releases the flock
    m_fd = -1;
    m_stash.clear();
}

qint64 PosixSerialDevice::bytesWaiting()
{
    if (m_fd < 0)
        return 0;
    const int n = posix_serial_detail::inputQueueLength(m_fd);
    return n < 0 ? 0 : qint64(n) + m_stash.size();
}

QByteArray PosixSerialDevice::read(qint64 maxBytes)
{
    QByteArray out;
    if (m_fd < 0 || maxBytes <= 0)
        return out;
    out = m_stash.left(maxBytes);
    m_stash.remove(0, out.size());
    const qint64 want = maxBytes - out.size();
    if (want > 0) {
        QByteArray buf(want, Qt::Uninitialized);
        const ssize_t r = ::read(m_fd, buf.data(), size_t(want));
        if (r > 0)
            out += buf.left(r);
        // 0 or EIO here means the device went; the next activation reports it.
    }
    return out;
}

bool PosixSerialDevice::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return false;
    qint64 done = 0;
    QElapsedTimer clock;
    clock.start();
    while (done < bytes.size()) {
        const ssize_t w = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (w > 0) {
            done += w;
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno != EAGAIN) {
            qCWarning(lcLink) << "write to" << m_path << "failed:" << errnoText(errno);
            return false;
        }
        const qint64 left = WriteTimeoutMs - clock.elapsed();
        pollfd p{m_fd, POLLOUT, 0};
        if (left <= 0 || poll(&p, 1, int(left)) <= 0 || (p.revents & (POLLERR | POLLHUP))) {
            qCWarning(lcLink) << "write to" << m_path << "did not complete";
            return false;
        }
    }
    return true;
}

std::optional<quint32> PosixSerialDevice::modemState()
{
    int lines = 0;
    if (m_fd < 0 || ioctl(m_fd, TIOCMGET, &lines) != 0)
        return std::nullopt;
    quint32 state = 0;
    if (lines & TIOCM_CTS)
        state |= 0x10;
    if (lines & TIOCM_DSR)
        state |= 0x20;
    if (lines & TIOCM_RNG)
        state |= 0x40;
    if (lines & TIOCM_CAR)
        state |= 0x80;
    return state;
}

quint32 PosixSerialDevice::takeLineErrors()
{
    serial_icounter_struct ic;
    if (m_fd < 0 || ioctl(m_fd, TIOCGICOUNT, &ic) != 0)
        return 0;
    // The flags of the line-error report: overrun of the input buffer 0x01,
    // hardware overrun 0x02, parity 0x04, framing 0x08, break 0x10.
    quint32 flags = 0;
    if (ic.buf_overrun != m_counts.bufOverrun)
        flags |= 0x01;
    if (ic.overrun != m_counts.overrun)
        flags |= 0x02;
    if (ic.parity != m_counts.parity)
        flags |= 0x04;
    if (ic.frame != m_counts.frame)
        flags |= 0x08;
    if (ic.brk != m_counts.brk)
        flags |= 0x10;
    m_counts = {ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun};
    return flags;
}

void PosixSerialDevice::setModemLine(int line, bool on)
{
    if (m_fd < 0)
        return;
    // A pseudo-terminal has no modem lines (ENOTTY/EINVAL): nothing to drive.
    if (ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &line) != 0 && errno != ENOTTY && errno != EINVAL)
        qCDebug(lcLink) << "modem line on" << m_path << "not set:" << errnoText(errno);
}

void PosixSerialDevice::setDtr(bool on)
{
    setModemLine(TIOCM_DTR, on);
}
void PosixSerialDevice::setRts(bool on)
{
    setModemLine(TIOCM_RTS, on);
}

void PosixSerialDevice::setCallbacks(std::function<void()> readyRead, std::function<void()> hangUp)
{
    m_readyRead = std::move(readyRead);
    m_hangUp = std::move(hangUp);
}

void PosixSerialDevice::setNotifyEnabled(bool on)
{
    m_notifyWanted = on;
    if (m_notifier && !m_hungUp)
        m_notifier->setEnabled(on);
}

void PosixSerialDevice::reportHangUp()
{
    if (m_hungUp)
        return;
    m_hungUp = true;
    if (m_notifier)
        m_notifier->setEnabled(false); // a hung-up tty stays readable forever
    qCDebug(lcLink) << m_path << "hung up";
    if (m_hangUp) {
        auto hangUp = m_hangUp; // the handler may close and drop this device's callbacks
        hangUp();
    }
}

void PosixSerialDevice::onActivated()
{
    if (m_fd < 0 || m_hungUp)
        return;
    m_inActivated = true;
    const int queued = posix_serial_detail::inputQueueLength(m_fd);
    if (queued < 0 && isHangUpErrno(errno)) {
        reportHangUp();
    } else if (queued > 0 || !m_stash.isEmpty()) {
        if (m_readyRead) {
            auto readyRead = m_readyRead;
            readyRead();
        }
    } else {
        // Readable with nothing queued: a hang-up, or bytes that raced the query.
        pollfd p{m_fd, POLLIN, 0};
        const bool hup = poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
        char buf[64];
        const ssize_t r = ::read(m_fd, buf, sizeof buf);
        const int err = errno;
        if (r > 0) {
            m_stash.append(buf, int(r));
            if (m_readyRead) {
                auto readyRead = m_readyRead;
                readyRead();
            }
        } else if (r == 0 || (r < 0 && (isHangUpErrno(err) || (err == EAGAIN && hup)))) {
            reportHangUp();
        }
    }
    m_inActivated = false;
}
