// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/frame_log.h"

#include "link/frame.h"
#include "link/link_log.h"

#include <QDateTime>
#include <QElapsedTimer>

FrameLog::FrameLog(qint64 maxBytes, Clock clock)
    : m_maxBytes(qMax<qint64>(maxBytes, 1024)), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] {
            QElapsedTimer t;
            t.start();
            return t.msecsSinceReference();
        };
}

QByteArray FrameLog::header(const QString &text) const
{
    return QStringLiteral("# %1 %2 %3 at monotonic %4 ms\n")
        .arg(m_program, text, QDateTime::currentDateTime().toString(Qt::ISODate))
        .arg(m_clock())
        .toUtf8();
}

QString FrameLog::open(const QString &path, const QString &program)
{
    m_program = program;
    m_failed = false;
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("cannot write the frame log %1: %2").arg(path, m_file.errorString());
    writeLine(header(QStringLiteral("frame log opened")));
    return m_failed
               ? QStringLiteral("cannot write the frame log %1: %2").arg(path, m_file.errorString())
               : QString();
}

void FrameLog::portOpened(const QString &port, int bitsPerSecond)
{
    if (!m_file.isOpen())
        return;
    writeLine(header(QStringLiteral("port %1 opened at %2 bit/s").arg(port).arg(bitsPerSecond)));
}

void FrameLog::sent(const QByteArray &frame)
{
    write("TX", frame, QString());
}

void FrameLog::received(const QByteArray &reply)
{
    write("RX", reply, QString());
}

void FrameLog::badCrc(const QByteArray &reply)
{
    write("RX", reply, QStringLiteral("bad-CRC"));
}

void FrameLog::discarded(const QByteArray &bytes)
{
    write("RX", bytes, QStringLiteral("discarded"));
}

void FrameLog::write(const char *direction, const QByteArray &bytes, const QString &tail)
{
    if (!m_file.isOpen())
        return;
    QByteArray line =
        QByteArray::number(m_clock()) + ' ' + direction + ' ' + bytes.toHex(' ').toUpper();
    // The command byte is the third of every frame; discarded noise has none.
    if (tail != QLatin1String("discarded") && bytes.size() >= 3) {
        const char *name = commandName(quint8(bytes[2]));
        line += ' ';
        line += *name ? QByteArray(name) : QByteArray("unknown");
    }
    if (!tail.isEmpty())
        line += ' ' + tail.toLatin1();
    writeLine(line + '\n');
}

void FrameLog::writeLine(const QByteArray &line)
{
    if (m_file.size() > 0 && m_file.size() + line.size() > m_maxBytes) {
        // Rotate: the full file becomes FILE.1, a new FILE starts.
        const QString path = m_file.fileName();
        const QString older = path + QStringLiteral(".1");
        m_file.close();
        QFile::remove(older);
        if (!QFile::rename(path, older))
            QFile::remove(path); // keep the newest traffic rather than stop logging
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            qCWarning(lcLink, "frame log %s: %s", qPrintable(path),
                      qPrintable(m_file.errorString()));
            return;
        }
        const QByteArray h = header(QStringLiteral("frame log continued from %1.1").arg(path));
        m_file.write(h);
    }
    // Each line reaches the system at once; nothing waits in a buffer.
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        if (!m_failed)
            qCWarning(lcLink, "frame log %s: %s", qPrintable(m_file.fileName()),
                      qPrintable(m_file.errorString()));
        m_failed = true;
    }
}
