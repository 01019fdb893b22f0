// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/kvtool.h"

#include "link/frame_log.h"

#include <QGuiApplication>

#include <memory>

namespace {

FrameLog *g_frameLog = nullptr;

const KvtoolCommand kCommands[] = {
    {"protocol", "FILE [--json]",
     "print the general data, Version, Stop_Point and user points of a calibration protocol",
     &kvtoolProtocol},
    {"xlsx", "PROTOCOL [--autosave-points] [-o FILE]",
     "write the calibration workbook (.xlsx) of a protocol; without -o beside it, a\n"
     "      number added rather than overwriting; prints the file written",
     &kvtoolXlsx},
    {"report", "PROTOCOL [-o FILE.odt|FILE.pdf]",
     "write the one-page calibration report (.odt, or .pdf by the name given)", &kvtoolReport},
    {"wlp", "PROTOCOL [--integer-levels] [--prefix TEXT] [--suffix TEXT] [-o FILE]",
     "write the telematics table (.wlp, Windows-1251): prefix, the user points as N:L,\n"
     "      suffix; prefix, suffix and the level format (TARNETcb) from the settings\n"
     "      unless given",
     &kvtoolWlp},
    {"table", "PROTOCOL [--format csv|json] [--decimal-comma] [-o FILE|-]",
     "write the user points as level code and litres for any telematics system: CSV\n"
     "      (header line; a full stop, or with --decimal-comma a comma and \";\" between\n"
     "      fields) or a JSON array; the points of the .wlp table; -o - prints it",
     &kvtoolTable},
    {"check", "PROTOCOL [--filling|--draining] [--range-top N]",
     "check the calibration table: levels that do not climb with the fuel (or fall\n"
     "      while draining; the way is read from the litres unless given), levels saved\n"
     "      twice, steps far from the codes per litre of their neighbours, a table that\n"
     "      spans less than 70 % of the range (its top from the highest level unless\n"
     "      given); one line per finding, status 1 when there is any",
     &kvtoolCheck},
    {"identify", "--port COMn|DEVICE [--speed BAUD] [--address A] [--json] [--trace]",
     "read the sensor's passport and settings (READ_PARAM) and print them as key: value\n"
     "      lines or, with --json, as one JSON object",
     &kvtoolIdentify},
    {"watch",
     "--port COMn|DEVICE [--speed BAUD] [--address A] [--count N] [--interval-ms MS] [--trace]",
     "poll the live reading (DATA_READ) every MS milliseconds (1000) and print one line\n"
     "      per reply: temperature=°C N=level code C=capacitance code; stops after N\n"
     "      replies, or on Ctrl+C (status 0)",
     &kvtoolWatch},
    {"scan", "--port COMn|DEVICE [--speeds BAUD,...|all] [--addresses FROM-TO] [--timeout-ms MS]",
     "find every sensor on an RS-485 line: ask each address (1..254) for its identity\n"
     "      at each speed (19200 unless given) and list address, serial number,\n"
     "      firmware, speed and model; waits 64 ms per silent address at 19200 bit/s\n"
     "      (about 16 s a speed; 40 s at 2400); status 2 when none answers",
     &kvtoolScan},
};

void printHelp(QTextStream &out)
{
    out << "usage: kvtool COMMAND [ARGS]\n\ncommands:\n";
    for (const KvtoolCommand &c : kCommands)
        out << "  " << c.name << ' ' << c.usage << "\n      " << c.summary << '\n';
    out << "\noption for every command:\n"
           "  --log-frames FILE  append every frame sent and received to FILE, one line\n"
           "                  each (monotonic ms, TX/RX, bytes in hex, command name),\n"
           "                  flushed as written; at 10 MiB FILE becomes FILE.1\n"
           "\nport options:\n"
           "  --port COMn     the port folder's link COMn (folder $KV_PORT_DIR, else\n"
           "                  $XDG_CONFIG_HOME/kv-ruzevuv/ports); anything else is a device\n"
           "                  path such as /dev/ttyUSB0\n"
           "  --speed BAUD    line speed, 19200 unless given\n"
           "  --address A     sensor network address 0..255; 255 (default) is answered by\n"
           "                  any single sensor on the line\n"
           "  --trace         show every frame on stderr (\"<= \" requests, \"=> \" replies)\n"
           "\nexit status: 0 done, 1 failure (check: a finding), 2 wrong usage or no valid\n"
           "             reply from the sensor within 1 s, 3 file not readable or port\n"
           "             cannot be opened (missing, busy, or no permission: the user must\n"
           "             be in the dialout group), 4 not a calibration protocol, 5 damaged\n"
           "             encoded value\n";
}

} // namespace

FrameLog *kvtoolFrameLog()
{
    return g_frameLog;
}

int main(int argc, char **argv)
{
    // The report's PDF is drawn with Qt's painter, which needs a GUI
    // application; headless, on the offscreen platform.
    const bool report = argc > 1 && qstrcmp(argv[1], "report") == 0;
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = report ? std::make_unique<QGuiApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app->arguments().mid(1);
    FrameLog frameLog;
    if (const qsizetype at = args.indexOf(QLatin1String("--log-frames")); at >= 0) {
        if (at + 1 >= args.size()) {
            err << "kvtool: --log-frames needs a file\n";
            return kExitUsage;
        }
        const QString path = args.at(at + 1);
        args.remove(at, 2);
        if (const QString error = frameLog.open(path, QStringLiteral("kvtool")); !error.isEmpty()) {
            err << "kvtool: " << error << '\n';
            return kExitIo;
        }
        g_frameLog = &frameLog;
    }
    if (args.isEmpty()) {
        printHelp(err);
        return kExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        printHelp(out);
        return kExitOk;
    }
    for (const KvtoolCommand &c : kCommands)
        if (name == QLatin1String(c.name))
            return c.run(args, out, err);
    err << "kvtool: unknown command \"" << name << "\"\n";
    printHelp(err);
    return kExitUsage;
}
