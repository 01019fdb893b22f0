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
    {"wlp",
     "PROTOCOL [--integer-levels] [--prefix TEXT] [--suffix TEXT] [--max-points K|--max-error "
     "LITRES] [-o FILE]",
     "write the telematics table (.wlp, Windows-1251): prefix, the user points as N:L,\n"
     "      suffix; prefix, suffix and the level format (TARNETcb) from the settings\n"
     "      unless given; thinned as for table",
     &kvtoolWlp},
    {"table",
     "PROTOCOL [--format csv|json] [--decimal-comma] [--max-points K|--max-error LITRES] "
     "[-o FILE|-]",
     "write the user points as level code and litres for any telematics system: CSV\n"
     "      (header line; a full stop, or with --decimal-comma a comma and \";\" between\n"
     "      fields) or a JSON array; the points of the .wlp table; -o - prints it;\n"
     "      --max-points keeps at most K of them (the first and last among them) with\n"
     "      the smallest largest litre difference any K can give, --max-error the\n"
     "      fewest within LITRES; that difference is told on standard error",
     &kvtoolTable},
    {"check", "PROTOCOL [--filling|--draining] [--range-top N]",
     "check the calibration table: levels that do not climb with the fuel (or fall\n"
     "      while draining; the way is read from the litres unless given), levels saved\n"
     "      twice, steps whose codes per litre break the trend of the steps around them;\n"
     "      warnings for a first or last step off the trend (a sump or a rounded floor\n"
     "      does that too) and for a table that stops more than 10 % of the range short\n"
     "      of either end (the range from the sensor settings the protocol stores, else\n"
     "      guessed from the highest level, unless given); one line each; status 0 when\n"
     "      nothing calls for a repeat (warnings allowed), 1 when a finding does, 2 when\n"
     "      the file cannot be read",
     &kvtoolCheck},
    {"tank",
     "SHAPE [dimensions] [--step MM] [--levels N0:N1] [--format csv|json] [-o FILE|-]",
     "the table of a tank from its dimensions (millimetres in, litres out): the shapes\n"
     "      horizontal-cylinder --diameter --length, elliptic-cylinder --width --height\n"
     "      --length, rectangular --width --height --length [--corner-radius],\n"
     "      vertical-cylinder --diameter --height; heights every --step mm (10) from the\n"
     "      floor to the roof; --levels N0:N1 gives the level codes of a probe that reads\n"
     "      N0 at the floor and N1 at the roof instead; printed unless -o names a file",
     &kvtoolTank},
    {"compare", "PROTOCOL OTHER",
     "compare two calibrations of a tank over the levels both cover: OTHER is another\n"
     "      protocol or a CSV/JSON table as table and tank write them; prints the largest\n"
     "      litre difference, the level code where it is, and the mean difference",
     &kvtoolCompare},
    {"ports", "[--json]",
     "list the port folder: COM number, device, the adapter's product and maker (from\n"
     "      sysfs), its /dev/serial/by-id name and whether it opens (ok, busy,\n"
     "      no-permission, missing), tab-separated or as a JSON array; newly plugged\n"
     "      adapters get their number first, as in the window",
     &kvtoolPorts},
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
           "             encoded value (check: 2 for any protocol it cannot read)\n";
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
