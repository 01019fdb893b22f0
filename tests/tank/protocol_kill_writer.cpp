// Child of the kill test: writes user points to a protocol in a loop and
// prints each index once its write has returned, until it is killed.

#include "tank/protocol_file.h"

#include <QFileInfo>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: protocol_kill_writer FILE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    ProtocolFile pf(path);
    ProtocolReader reader;
    const bool exists = QFileInfo::exists(path);
    ProtocolStatus st = exists ? reader.load(path) : ProtocolStatus();
    if (!st.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(st.text));
        return 1;
    }
    int next = 0;
    if (!exists || !reader.isProtocol()) {
        auto data = std::make_unique<TDateProtokol>();
        st = pf.create(*data);
    } else if (reader.ini().hasKey(Protocol::kPoint, Protocol::kStopPoint)) {
        next = reader.stopPoint() + 1;
    }
    for (int i = next; st.ok(); ++i) {
        st = pf.writePoint(
            i, PointKeys::make(i, i, i, QStringLiteral("0:00:00"),
                               QStringLiteral("%1,50").arg(i % 10000, 4, 10, QLatin1Char('0')),
                               QStringLiteral("+1"), Protocol::kUserSave));
        if (st.ok()) {
            std::printf("%d\n", i);
            std::fflush(stdout);
        }
    }
    std::fprintf(stderr, "%s\n", qPrintable(st.text));
    return 1;
}
