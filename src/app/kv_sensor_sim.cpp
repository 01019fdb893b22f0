// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kv-sensor-sim: a virtual fuel-level sensor on a pseudo-terminal. The first
// line it prints is the device path to open; with --link that path is also
// reachable through a symbolic link, removed again on exit. With --sensor it
// plays several sensors on one RS-485 line instead, each with its own address,
// serial number and speed. SIGTERM and SIGINT end it cleanly with exit code 0.

#include "common/scheduler.h"
#include "sim/pty_sensor_server.h"
#include "sim/sensor_bus.h"
#include "sim/virtual_sensor.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include "common/stop_signals.h"

#include <fcntl.h>
#include <memory>
#include <optional>
#include <vector>
#include <unistd.h>

namespace {


/// 0x-prefixed hexadecimal or plain decimal, within [0, max].
std::optional<quint32> parseNumber(const QString &text, quint32 max)
{
    bool ok = false;
    const QString t = text.trimmed();
    const quint32 v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                          ? t.mid(2).toUInt(&ok, 16)
                          : t.toUInt(&ok, 10);
    if (!ok || v > max)
        return std::nullopt;
    return v;
}

/// One sensor of --sensor ADDRESS[:SERIAL[:BAUD]].
struct BusMember {
    quint8 address = 1;
    quint32 serial = 0;
    int baud = 19200;
};

const int UartSpeeds[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};

std::optional<BusMember> parseMember(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    BusMember m;
    const auto address = parseNumber(parts[0], 254);
    if (!address || *address == 0)
        return std::nullopt;
    m.address = quint8(*address);
    m.serial = 100000 + m.address;
    if (parts.size() > 1) {
        const auto serial = parseNumber(parts[1], 0xFFFFFF);
        if (!serial)
            return std::nullopt;
        m.serial = *serial;
    }
    if (parts.size() > 2) {
        const auto baud = parseNumber(parts[2], 115200);
        if (!baud || std::find(std::begin(UartSpeeds), std::end(UartSpeeds), int(*baud)) ==
                         std::end(UartSpeeds))
            return std::nullopt;
        m.baud = int(*baud);
    }
    return m;
}

int usageError(const QString &text)
{
    std::fprintf(stderr, "kv-sensor-sim: %s\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kv-sensor-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a virtual fuel-level sensor on a pseudo-terminal. The first line "
                       "printed is the device path to open."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also make a symbolic link at <path>."),
                                  QStringLiteral("path"));
    const QCommandLineOption model(QStringLiteral("model"), QStringLiteral("Model code (1)."),
                                   QStringLiteral("code"));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      QStringLiteral("Firmware byte, e.g. 0x53 or 83 (0x53)."),
                                      QStringLiteral("byte"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Serial number, 24 bit (123456)."),
                                    QStringLiteral("n"));
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Network address (1)."), QStringLiteral("a"));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Never answer."));
    const QCommandLineOption badCrc(QStringLiteral("bad-crc"),
                                    QStringLiteral("Send every reply with a wrong CRC."));
    const QCommandLineOption split(
        QStringLiteral("split"), QStringLiteral("Send replies in chunks of these sizes, e.g. 4,5."),
        QStringLiteral("sizes"));
    const QCommandLineOption garbage(QStringLiteral("garbage"),
                                     QStringLiteral("Send n junk bytes before each reply."),
                                     QStringLiteral("n"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"),
                                   QStringLiteral("Reply delay in milliseconds (5)."),
                                   QStringLiteral("ms"));
    const QCommandLineOption refuse(QStringLiteral("refuse"),
                                    QStringLiteral("Refuse this command byte with status 0x01 "
                                                   "(repeatable)."),
                                    QStringLiteral("byte"));
    const QCommandLineOption echo(
        QStringLiteral("echo"),
        QStringLiteral("Hand every request back before the reply, as a two-wire RS-485 adapter "
                       "without echo suppression does."));
    const QCommandLineOption pour(QStringLiteral("pour"),
                                  QStringLiteral("Pour fuel at this many litres per second."),
                                  QStringLiteral("l/s"));
    const QCommandLineOption tank(QStringLiteral("tank"),
                                  QStringLiteral("Tank capacity in litres (100)."),
                                  QStringLiteral("litres"));
    const QCommandLineOption sensorOption(
        QStringLiteral("sensor"),
        QStringLiteral("Play several sensors on one line: one per option, address 1..254, "
                       "serial number (100000 + address) and speed in bit/s (19200), "
                       "e.g. --sensor 3 --sensor 17:4711:9600. Each answers only at its own "
                       "speed; replies to the all-devices address collide."),
        QStringLiteral("address[:serial[:baud]]"));
    parser.addOptions({link, model, firmware, serial, address, silent, badCrc, split, garbage,
                       delay, refuse, echo, pour, tank, sensorOption});
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        parser.showHelp(0);

    VirtualSensorOptions options;
    auto number = [&](const QCommandLineOption &o, quint32 max, auto &target) -> bool {
        if (!parser.isSet(o))
            return true;
        const auto v = parseNumber(parser.value(o), max);
        if (!v)
            return false;
        target = std::remove_reference_t<decltype(target)>(*v);
        return true;
    };
    if (!number(model, 255, options.model))
        return usageError(QStringLiteral("--model wants a number 0..255"));
    if (!number(firmware, 255, options.firmware))
        return usageError(QStringLiteral("--firmware wants a byte, e.g. 0x53"));
    if (!number(serial, 0xFFFFFF, options.serial))
        return usageError(QStringLiteral("--serial wants a number 0..16777215"));
    if (!number(address, 255, options.address))
        return usageError(QStringLiteral("--address wants a number 0..255"));
    if (parser.isSet(tank)) {
        bool ok = false;
        options.physics.tankLitres = parser.value(tank).toDouble(&ok);
        if (!ok || options.physics.tankLitres <= 0)
            return usageError(QStringLiteral("--tank wants a positive number of litres"));
    }

    std::vector<BusMember> members;
    for (const QString &value : parser.values(sensorOption)) {
        const auto m = parseMember(value);
        if (!m)
            return usageError(QStringLiteral("--sensor wants address[:serial[:baud]], address "
                                             "1..254, baud one of 2400 4800 9600 19200 38400 "
                                             "57600 115200"));
        members.push_back(*m);
    }

    QtScheduler scheduler;
    VirtualSensor sensor(&scheduler, options);
    SensorFaults &faults = sensor.faults();
    faults.silent = parser.isSet(silent);
    faults.badCrc = parser.isSet(badCrc);
    faults.echo = parser.isSet(echo);
    if (parser.isSet(split)) {
        for (const QString &part : parser.value(split).split(QLatin1Char(','))) {
            const auto v = parseNumber(part, 255);
            if (!v || *v == 0)
                return usageError(QStringLiteral("--split wants sizes like 4,5"));
            faults.split.append(int(*v));
        }
    }
    if (!number(garbage, 255, faults.garbage))
        return usageError(QStringLiteral("--garbage wants a number 0..255"));
    if (!number(delay, 600000, faults.delayMs))
        return usageError(QStringLiteral("--delay-ms wants milliseconds"));
    for (const QString &value : parser.values(refuse)) {
        const auto v = parseNumber(value, 255);
        if (!v)
            return usageError(QStringLiteral("--refuse wants a command byte, e.g. 0x62"));
        faults.refused.insert(quint8(*v));
    }
    if (parser.isSet(pour)) {
        bool ok = false;
        const double rate = parser.value(pour).toDouble(&ok);
        if (!ok)
            return usageError(QStringLiteral("--pour wants litres per second, e.g. 0.5"));
        sensor.pour(rate);
    }

    StopSignals stopSignals([] { QCoreApplication::quit(); });
    if (!stopSignals.ok())
        return usageError(stopSignals.error());

    // On a bus every sensor takes the faults and the pouring set up above.
    SensorBus bus;
    std::vector<std::unique_ptr<VirtualSensor>> busSensors;
    for (const BusMember &m : members) {
        VirtualSensorOptions o = options;
        o.address = m.address;
        o.serial = m.serial;
        auto s = std::make_unique<VirtualSensor>(&scheduler, o);
        s->faults() = faults;
        s->pour(sensor.pourRate());
        // The speed it reports in its output mode byte is the one it talks at.
        const int code = int(std::find(std::begin(UartSpeeds), std::end(UartSpeeds), m.baud) -
                             std::begin(UartSpeeds)) + 1;
        quint8 &mode = s->registers().outputMode;
        mode = quint8((mode & ~0x1C) | (code << 2));
        bus.attach(*s, m.baud);
        busSensors.push_back(std::move(s));
    }
    LineResponder &line = members.empty() ? static_cast<LineResponder &>(sensor) : bus;

    PtySensorServer server(line, scheduler);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "kv-sensor-sim: %s\n", qPrintable(error));
        return 1;
    }

    const QString linkPath = parser.value(link);
    if (!linkPath.isEmpty()) {
        // Replace a stale link from an earlier run, never a real file.
        const QFileInfo existing(linkPath);
        if (existing.isSymLink())
            QFile::remove(linkPath);
        if (::symlink(qPrintable(server.slavePath()), qPrintable(linkPath)) != 0) {
            std::fprintf(stderr, "kv-sensor-sim: cannot link %s: %s\n", qPrintable(linkPath),
                         std::strerror(errno));
            return 1;
        }
    }

    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);

    const int rc = app.exec();
    server.stop();
    if (!linkPath.isEmpty())
        ::unlink(qPrintable(linkPath));
    return rc;
}
