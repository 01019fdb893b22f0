#include "app/kvtool.h"

#include <QGuiApplication>

#include <memory>

namespace {

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
};

void printHelp(QTextStream &out)
{
    out << "usage: kvtool COMMAND [ARGS]\n\ncommands:\n";
    for (const KvtoolCommand &c : kCommands)
        out << "  " << c.name << ' ' << c.usage << "\n      " << c.summary << '\n';
    out << "\nport options:\n"
           "  --port COMn     the port folder's link COMn (folder $KV_PORT_DIR, else\n"
           "                  $XDG_CONFIG_HOME/kv-ruzevuv/ports); anything else is a device\n"
           "                  path such as /dev/ttyUSB0\n"
           "  --speed BAUD    line speed, 19200 unless given\n"
           "  --address A     sensor network address 0..255; 255 (default) is answered by\n"
           "                  any single sensor on the line\n"
           "  --trace         show every frame on stderr (\"<= \" requests, \"=> \" replies)\n"
           "\nexit status: 0 done, 1 failure, 2 wrong usage or no valid reply from the sensor\n"
           "             within 1 s, 3 file not readable or port cannot be opened (missing,\n"
           "             busy, or no permission: the user must be in the dialout group),\n"
           "             4 not a calibration protocol, 5 damaged encoded value\n";
}

} // namespace

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
