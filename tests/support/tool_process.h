// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The command-line programs under test as child processes: kvtool runs to its
// end and gives its status and output; kv-sensor-sim serves for the length of
// a test (the first line it prints is its device); fixtures are written whole.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1; ///< -1 when the program crashed
    QString out, err;
};

/// Runs program with args to its end (a hang is the test's time-out).
inline ToolRun runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    (void)p.waitForFinished(-1);
    ToolRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

/// kv-sensor-sim (or any server that prints its device first) for one test.
struct SimProcess {
    QProcess process;
    QString device;

    bool start(const QString &program, const QStringList &args)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, args);
        if (!process.waitForStarted() || !process.waitForReadyRead(5000))
            return false;
        device = QString::fromLocal8Bit(process.readLine()).trimmed();
        return device.startsWith(QLatin1String("/dev/"));
    }
    ~SimProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(5000);
        }
    }
};

/// Writes bytes as the whole content of path.
inline bool writeFixture(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
