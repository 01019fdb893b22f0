#include "app/kvtool.h"

#include <QCoreApplication>

namespace {

const KvtoolCommand kCommands[] = {
    {"protocol", "FILE [--json]",
     "print the general data, Version, Stop_Point and user points of a calibration protocol",
     &kvtoolProtocol},
};

void printHelp(QTextStream &out)
{
    out << "usage: kvtool COMMAND [ARGS]\n\ncommands:\n";
    for (const KvtoolCommand &c : kCommands)
        out << "  " << c.name << ' ' << c.usage << "\n      " << c.summary << '\n';
    out << "\nexit status: 0 done, 1 failure, 2 wrong usage, 3 file not readable,\n"
           "             4 not a calibration protocol, 5 damaged encoded value\n";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
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
