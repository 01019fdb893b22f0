// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// termios2 lives in the kernel headers, which clash with glibc's <termios.h>;
// this file therefore includes only the kernel's definitions.
#include "link/posix_serial.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

int posix_serial_detail::applyCustomBaud(int fd, int baud)
{
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~tcflag_t(CBAUD);
    t.c_cflag |= BOTHER;
    t.c_ispeed = speed_t(baud);
    t.c_ospeed = speed_t(baud);
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

int posix_serial_detail::inputQueueLength(int fd)
{
    int n = 0;
    if (ioctl(fd, TIOCINQ, &n) != 0)
        return -1;
    return n;
}

int posix_serial_detail::outputBaud(int fd)
{
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0)
        return -1;
    return int(t.c_ospeed);
}
