// Benchmark of the protocol file: opening a protocol of 10,001 points and one
// durable point write, beside a baseline that works the way the platform's
// private-profile calls do (every key read re-reads and scans the whole file,
// every key write re-reads and rewrites it). Run by hand; prints the figures.

#include "tank/ini_file.h"
#include "tank/protocol_file.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPoints = 10001;

QByteArray protocolBytes()
{
    QByteArray b("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\n"
                 "CompanyName=#1041#1072#1082\r\nSN=123456\r\nLengthProbe=700\r\n"
                 "[Point]\r\nStop_Point=10000\r\n[Protocol_Date]\r\n");
    for (int i = 0; i < kPoints; ++i) {
        const QByteArray k = QByteArray::number(i);
        b += "Time" + k + "=" + QByteArray::number(i * 3) + "\r\nFilterN" + k + "=" +
             QByteArray::number(i % 4096) + "\r\nFilterC" + k + "=31234\r\nSistem_Time" + k +
             "=12:34:56\r\nliter" + k + "=0012,50\r\nTetmo" + k + "=+23\r\nStatus_Save" + k +
             (i % 10 ? "=Auto Save\r\n" : "=User Save\r\n");
    }
    return b;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The platform's read: open, read whole, scan for the section and the key.
QByteArray baselineRead(const QString &path, const QByteArray &section, const QByteArray &key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray all = f.readAll();
    bool in = false;
    const QByteArray want = key.toLower();
    for (const QByteArray &raw : all.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            in = line.mid(1, line.indexOf(']') - 1).compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (in && eq > 0 && line.left(eq).trimmed().toLower() == want)
            return line.mid(eq + 1).trimmed();
    }
    return QByteArray();
}

// The platform's write, made durable: read whole, change, rewrite in place, flush.
void baselineWrite(const QString &path, const QByteArray &section, const QByteArray &key,
                   const QByteArray &value)
{
    QByteArray all;
    {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            all = f.readAll();
    }
    IniDocument doc = IniDocument::parse(all);
    doc.setValue(section, key, value);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    f.write(doc.serialize());
    f.flush();
    ::fsync(f.handle());
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.kvi"));
    const QByteArray bytes = protocolBytes();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("protocol: %d points, %d keys, %lld bytes\n", kPoints, kPoints * 7 + 7,
                static_cast<long long>(bytes.size()));

    // Opening: recognise, general data, all points, the table. The kept parsed
    // text is dropped before every run, so each run reads and parses the file
    // as the first opening after start does; warm runs are measured apart.
    std::vector<double> openMs, warmMs;
    size_t userPoints = 0;
    for (int run = 0; run < 30; ++run) {
        if (run < 15)
            IniFile::dropCache();
        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        QElapsedTimer t;
        t.start();
        const ProtocolStatus st = ProtocolFile(path).open(*data, general, points);
        (run < 15 ? openMs : warmMs).push_back(ms(t));
        if (!st.ok()) {
            std::fprintf(stderr, "open failed: %s\n", qPrintable(st.text));
            return 1;
        }
        userPoints = data->UserPoints.size();
    }
    const double openMedian = median(openMs);

    // One durable point write (seven keys and Stop_Point, one commit).
    std::vector<double> writeMs;
    ProtocolFile pf(path);
    for (int run = 0; run < 31; ++run) {
        QElapsedTimer t;
        t.start();
        const ProtocolStatus st = pf.writePoint(
            kPoints + run, PointKeys::make(run, 1, 2, "1:02:03", "0012,50", "+23", "User Save"));
        writeMs.push_back(ms(t));
        if (!st.ok()) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(st.text));
            return 1;
        }
    }
    const double writeMedian = median(writeMs);

    // Baseline opening: one whole-file read and scan per key. The opening reads
    // 4 keys per point and about 17 others; measured on a sample, each read
    // costs the same (a whole-file read), so the total is the sample's mean times
    // the count.
    const int openKeys = 4 * kPoints + 17;
    const int sample = 400;
    QElapsedTimer tb;
    tb.start();
    for (int i = 0; i < sample; ++i)
        (void)baselineRead(path, "Protocol_Date",
                           "liter" + QByteArray::number((i * 9973) % kPoints));
    const double perRead = ms(tb) / sample;
    const double baselineOpen = perRead * openKeys;

    // Baseline point write: eight keys, each a whole read and durable rewrite.
    std::vector<double> baseWriteMs;
    for (int run = 0; run < 5; ++run) {
        const QByteArray k = QByteArray::number(kPoints + 100 + run);
        QElapsedTimer t;
        t.start();
        const char *names[] = {"Time",  "FilterN", "FilterC",    "Sistem_Time",
                               "liter", "Tetmo",   "Status_Save"};
        for (const char *n : names)
            baselineWrite(path, "Protocol_Date", QByteArray(n) + k, "1");
        baselineWrite(path, "Point", "Stop_Point", k);
        baseWriteMs.push_back(ms(t));
    }
    const double baselineWriteMedian = median(baseWriteMs);

    std::printf("open:        median %.1f ms over %zu runs (%zu user points)  target <= 100 ms\n",
                openMedian, openMs.size(), userPoints);
    std::printf("open again:  median %.1f ms (parsed text kept, file unchanged)\n", median(warmMs));
    std::printf("point write: median %.2f ms over %zu runs               target <= 10 ms\n",
                writeMedian, writeMs.size());
    std::printf("baseline open:        %.0f ms (%d key reads x %.3f ms, sampled on %d)\n",
                baselineOpen, openKeys, perRead, sample);
    std::printf("baseline point write: median %.1f ms (8 whole-file rewrites)\n",
                baselineWriteMedian);
    std::printf("ratio open:  baseline / ours = %.0f\n", baselineOpen / openMedian);
    std::printf("ratio write: baseline / ours = %.1f\n", baselineWriteMedian / writeMedian);
    return 0;
}
