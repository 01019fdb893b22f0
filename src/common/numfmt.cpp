// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/numfmt.h"

#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>

QString NumberFormat::format(const char *printfFormat, double value) const
{
    if (!std::isfinite(value))
        value = 0;
    QString s = QString::asprintf(printfFormat, value);
    if (m_sep != QLatin1Char('.'))
        s.replace(QLatin1Char('.'), m_sep);
    return s;
}

QString NumberFormat::fixed(double value, int decimals, int width) const
{
    if (!std::isfinite(value))
        value = 0;
    QString s = QString::asprintf("%*.*f", width, decimals, value);
    if (m_sep != QLatin1Char('.'))
        s.replace(QLatin1Char('.'), m_sep);
    return s;
}

QString NumberFormat::fixedDot(double value, int decimals, int width)
{
    if (!std::isfinite(value))
        value = 0;
    return QString::asprintf("%*.*f", width, decimals, value);
}

QString NumberFormat::general(double value) const
{
    if (!std::isfinite(value))
        value = 0;
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    // Litres and most other values are whole hundredths below 10,000: written
    // directly, without the general conversion (which costs some thousand
    // instructions a number). The double nearest to a decimal of at most 15
    // digits gives that decimal back at 15 significant digits, and below
    // 10,000 no exponent form is chosen, so the text is the same.
    if (std::fabs(value) < 10000) {
        const qint64 hundredths = std::llround(value * 100);
        if (double(hundredths) / 100 == value) {
            const qint64 h = hundredths < 0 ? -hundredths : hundredths;
            char text[16];
            char *w = text;
            if (hundredths < 0)
                *w++ = '-';
            w = std::to_chars(w, text + sizeof text, h / 100).ptr;
            const int cents = int(h % 100);
            QString s = QString::fromLatin1(text, w - text);
            if (cents != 0) {
                s += m_sep;
                s += QLatin1Char(char('0' + cents / 10));
                if (cents % 10 != 0)
                    s += QLatin1Char(char('0' + cents % 10));
            }
            return s;
        }
    }
    QString s = QString::number(value, 'g', 15);
    // Qt writes exponents as "e+15" / "e-05"; the texts shown write "E15" / "E-5".
    const int e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mant = s.left(e);
        int exp = s.mid(e + 1).toInt();
        s = mant + QLatin1Char('E') + QString::number(exp);
    }
    if (m_sep != QLatin1Char('.'))
        s.replace(QLatin1Char('.'), m_sep);
    return s;
}

std::optional<double> NumberFormat::parse(const QString &text) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QString sep = QRegularExpression::escape(QString(m_sep));
    static thread_local QString lastSep;
    static thread_local QRegularExpression re;
    if (lastSep != sep) {
        re = QRegularExpression(
            QStringLiteral("^[+-]?(\\d+(%1\\d*)?|%1\\d+)([eE][+-]?\\d+)?$").arg(sep));
        lastSep = sep;
    }
    if (!re.match(t).hasMatch())
        return std::nullopt;
    QString c = t;
    c.replace(m_sep, QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(c, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> NumberFormat::parseInt(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

QChar NumberFormat::systemSeparator()
{
    const QString p = QLocale::system().decimalPoint();
    return p.isEmpty() ? QLatin1Char('.') : p.at(0);
}
