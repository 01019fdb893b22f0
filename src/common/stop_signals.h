// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// SIGINT and SIGTERM brought onto the event loop: the signal handler only
// writes a byte into a self-pipe, and a socket notifier on the pipe runs the
// stop handler on the GUI thread, where it may do anything.

#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

class StopSignals final : public QObject {
public:
    /// Installs the handlers; one instance per process at a time.
    explicit StopSignals(std::function<void()> onStop, QObject *parent = nullptr);
    ~StopSignals() override;

    /// False when the pipe could not be made (error() says why).
    bool ok() const { return m_notifier != nullptr; }
    const QString &error() const { return m_error; }

private:
    std::function<void()> m_onStop;
    QSocketNotifier *m_notifier = nullptr;
    QString m_error;
};
