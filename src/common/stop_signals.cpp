// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/stop_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    const int saved = errno;
    [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace

StopSignals::StopSignals(std::function<void()> onStop, QObject *parent)
    : QObject(parent), m_onStop(std::move(onStop))
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buf[16];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        if (m_onStop)
            m_onStop();
    });
}

StopSignals::~StopSignals()
{
    if (!m_notifier)
        return;
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}
