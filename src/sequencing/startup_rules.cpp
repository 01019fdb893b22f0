// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sequencing/startup_rules.h"

StartOptions parseStartOptions(const QStringList &arguments)
{
    StartOptions o;
    auto numberArg = [&](int &i, const QString &name, int max, int &out) {
        if (i + 1 >= arguments.size()) {
            o.error = QStringLiteral("%1 needs a value").arg(name);
            return;
        }
        const QString v = arguments.at(++i).trimmed();
        bool ok = false;
        const int n = v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                          ? v.mid(2).toInt(&ok, 16)
                          : v.toInt(&ok, 10);
        if (!ok || n < 0 || n > max)
            o.error =
                QStringLiteral("%1: \"%2\" is not a number from 0 to %3").arg(name, v).arg(max);
        else
            out = n;
    };
    for (int i = 0; i < arguments.size() && o.error.isEmpty(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            o.help = true;
        else if (a == QLatin1String("--version") || a == QLatin1String("-v"))
            o.version = true;
        else if (a == QLatin1String("--demo"))
            o.demo = true;
        else if (a == QLatin1String("--connect"))
            o.connect = true;
        else if (a == QLatin1String("--demo-model"))
            numberArg(i, a, 255, o.demoModel);
        else if (a == QLatin1String("--demo-firmware"))
            numberArg(i, a, 255, o.demoFirmware);
        else if (a == QLatin1String("--port")) {
            if (i + 1 >= arguments.size())
                o.error = QStringLiteral("--port needs a value, e.g. --port COM3");
            else
                o.port = arguments.at(++i).trimmed();
        } else if (a == QLatin1String("--log-frames")) {
            if (i + 1 >= arguments.size())
                o.error = QStringLiteral("--log-frames needs a file");
            else
                o.logFrames = arguments.at(++i);
        } else if (a.startsWith(QLatin1String("--")))
            o.error = QStringLiteral("unknown option %1").arg(a);
        else if (o.firstArgument.isEmpty())
            o.firstArgument = a;
    }
    return o;
}

QString startUsageText()
{
    return QStringLiteral(
        "Usage: kv-ruzevuv [options] [protocol.kvi]\n"
        "Service tool for capacitive fuel-level sensors.\n"
        "\n"
        "  --demo                 list a built-in virtual sensor as the first port\n"
        "  --demo-model CODE      model code the virtual sensor plays (default 1)\n"
        "  --demo-firmware BYTE   its firmware byte, e.g. 0x53 or 83 (default 0x53)\n"
        "  --port COMn            show port COMn in the port list at start\n"
        "  --connect              open that port once the start-up check has passed\n"
        "  --log-frames FILE      append every frame sent and received to FILE (for\n"
        "                         support; one line each, flushed; at 10 MiB FILE\n"
        "                         becomes FILE.1 and a new FILE is started)\n"
        "  --version              print the version and exit\n"
        "  --help                 print this text and exit\n"
        "\n"
        "A first argument ending in \"kvi\" is a calibration protocol to open.\n"
        "Ports COM1 ... COM255 are the links in $KV_PORT_DIR, else\n"
        "~/.config/kv-ruzevuv/ports; new serial adapters get a link there at each port scan.\n");
}

bool isProtocolArgument(const QString &argument)
{
    return argument.size() > 3 && argument.endsWith(QLatin1String("kvi"), Qt::CaseSensitive);
}

QString captionFileName(const QString &path)
{
    if (path.size() <= 3)
        return QString();
    // The separator is looked for from the next-to-last character down.
    for (int i = path.size() - 2; i >= 0; --i) {
        if (path.at(i) == QLatin1Char('\\') || path.at(i) == QLatin1Char('/'))
            return path.mid(i + 1);
    }
    return path;
}

QString mainCaption(const QString &currentProtocolFile)
{
    if (!currentProtocolFile.isEmpty())
        return ProgramTitle + QStringLiteral("    [") + captionFileName(currentProtocolFile) +
               QLatin1Char(']');
    return ProgramTitle + QLatin1Char(' ') + ProgramVersion;
}

std::optional<int> portNumberFromText(const QString &text)
{
    const int len = int(text.size());
    const QString digits = (len >= 4 && len <= 6) ? text.mid(3) : text;
    bool ok = false;
    const int n = digits.toInt(&ok, 10);
    // Only plain decimal digits count: no sign, no blanks.
    for (QChar c : digits)
        if (!c.isDigit())
            return std::nullopt;
    if (!ok)
        return std::nullopt;
    return n;
}

std::optional<TBaudRate> baudRateForSpeedIndex(int index)
{
    static const TBaudRate rates[] = {br2400, br4800, br9600, br19200, br38400, br57600, br115200};
    if (index < 0 || index > 6)
        return std::nullopt;
    return rates[index];
}

QString clockText(const QTime &time)
{
    return QStringLiteral("%1:%2:%3")
        .arg(time.hour())
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}
