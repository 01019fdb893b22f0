// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/pty_sensor_server.h"

#include "sim/line_responder.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <termios.h>
#include <unistd.h>

PtySensorServer::PtySensorServer(LineResponder &sensor, Scheduler &scheduler, QObject *parent)
    : QObject(parent), m_sensor(sensor), m_scheduler(scheduler)
{
}

PtySensorServer::~PtySensorServer()
{
    stop();
}

bool PtySensorServer::start(QString *error)
{
    auto fail = [&](const char *what) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        stop();
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), reason);
        return false;
    };
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (grantpt(m_master) != 0)
        return fail("grantpt");
    if (unlockpt(m_master) != 0)
        return fail("unlockpt");
    const char *name = ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0)
        return fail("open slave");
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    termios tio{};
    if (tcgetattr(m_slave, &tio) != 0)
        return fail("tcgetattr");
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    if (tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");

    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtySensorServer::onReadable);
    return true;
}

void PtySensorServer::stop()
{
    for (Scheduler::TaskId id : m_pending)
        m_scheduler.cancel(id);
    m_pending.clear();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

void PtySensorServer::onReadable()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            if (m_sensor.echoes())
                send(QByteArray(buffer, int(n)));
            const qint64 delay = qMax(0, m_sensor.replyDelayMs());
            for (const QByteArray &reply : m_sensor.hear(QByteArray(buffer, int(n)), lineBaud())) {
                qint64 at = delay;
                for (const QByteArray &chunk : m_sensor.chunksOf(reply)) {
                    auto id = std::make_shared<Scheduler::TaskId>(0);
                    *id = m_scheduler.schedule(at, [this, id, chunk] {
                        m_pending.removeOne(*id);
                        send(chunk);
                    });
                    m_pending.append(*id);
                    // Chunks a few milliseconds apart reach the client as separate reads.
                    at += 3;
                }
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: all read; EIO cannot happen while m_slave is open
    }
}

int PtySensorServer::lineBaud() const
{
    termios tio{};
    if (m_slave < 0 || tcgetattr(m_slave, &tio) != 0)
        return 0;
    switch (cfgetospeed(&tio)) {
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
    }
}

void PtySensorServer::send(const QByteArray &chunk)
{
    qsizetype done = 0;
    while (done < chunk.size()) {
        const ssize_t n = ::write(m_master, chunk.constData() + done, size_t(chunk.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // The client is not reading and the terminal buffer is full: the
            // rest of this reply is lost, as on a real line.
            qWarning("kv-sensor-sim: reply write failed: %s", std::strerror(errno));
            return;
        }
    }
}
