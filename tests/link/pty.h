// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A pseudo-terminal for tests: the test holds the master end and plays the
// sensor; the port under test opens the slave end like any serial device.

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

struct TestPty {
    int master = -1;
    QString slave;

    bool open()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return false;
        const char *name = ptsname(master);
        if (!name)
            return false;
        slave = QString::fromLocal8Bit(name);
        return true;
    }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    ~TestPty() { closeMaster(); }

    bool write(const QByteArray &bytes) const
    {
        return ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    /// Reads from the master until count bytes are there or timeoutMs pass.
    QByteArray read(int count, int timeoutMs = 3000) const
    {
        QByteArray out;
        while (out.size() < count) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0)
                break;
            char buf[256];
            const ssize_t r = ::read(master, buf, sizeof buf);
            if (r <= 0 && errno != EAGAIN)
                break;
            if (r > 0)
                out.append(buf, int(r));
        }
        return out;
    }
};
