// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Numbers as the installer sees and types them: with the user's decimal
// separator (a comma on every system the tool agrees to run on).

#include <QChar>
#include <QString>
#include <optional>

class NumberFormat {
public:
    explicit NumberFormat(QChar separator = QLatin1Char(',')) : m_sep(separator) {}

    QChar separator() const { return m_sep; }
    void setSeparator(QChar sep) { m_sep = sep; }

    /// printf-style fixed format: "%5.2f", "%7.4f", "%2.3f" … (width pads with
    /// blanks on the left), separator applied.
    QString format(const char *printfFormat, double value) const;
    /// Fixed with `decimals` digits and minimum `width` characters.
    QString fixed(double value, int decimals, int width = 0) const;
    /// Shortest decimal form of up to 15 significant digits: 12.5 -> "12,5", 100 -> "100".
    QString general(double value) const;

    /// Parses a decimal written with the separator; blanks around it are
    /// allowed, leading zeros too ("0012,50" -> 12.5). nullopt when the text is
    /// not a number (empty, letters, the other separator, NaN, infinity).
    std::optional<double> parse(const QString &text) const;
    /// Parses an integer (optional sign, blanks around it).
    static std::optional<qint64> parseInt(const QString &text);

    /// "%4.3f" with a full stop whatever the user's separator (monitoring file).
    static QString fixedDot(double value, int decimals, int width = 0);

    /// The numeric locale's separator as Qt's system locale reads it.
    static QChar systemSeparator();

private:
    QChar m_sep;
};
