// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the frame trace goes: every request ("<= "), every accepted reply
// ("=> ") and the markers for rejected data. The terminal window implements it;
// tests and the headless client keep the text in memory.

#include <QString>

class TraceSink {
public:
    virtual ~TraceSink() = default;
    /// Inserts text at the insertion point (a request line carries its own "\r\n").
    virtual void insertText(const QString &text) = 0;
    /// Adds a whole line (the "Err_CRC" and discard markers).
    virtual void addLine(const QString &line) = 0;
};

/// Keeps the trace as one string, lines separated by "\r\n" (tests, kvtool).
class StringTraceSink final : public TraceSink {
public:
    void insertText(const QString &text) override { m_text += text; }
    void addLine(const QString &line) override
    {
        if (!m_text.isEmpty() && !m_text.endsWith(QLatin1String("\r\n")))
            m_text += QLatin1String("\r\n");
        m_text += line + QLatin1String("\r\n");
    }
    const QString &text() const { return m_text; }
    void clear() { m_text.clear(); }

private:
    QString m_text;
};
