// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Benchmark of the protocol file: opening a protocol of 10,001 points and one
// durable point write, each beside its floor measured in the same run and in
// turns with it (a bare read of the file; a bare durable rewrite of the same
// bytes: temporary file, write, fsync, rename, fsync of the folder), and
// beside a baseline that works the way the platform's private-profile calls
// do (every key read re-reads and scans the whole file, every key write
// re-reads and rewrites it). Run by hand (scripts/bench.sh); prints rows of
// the benchmark table. --quick: two openings only, no baseline (for an
// instruction count under valgrind --tool=callgrind).

#include "bench_table.h"
#include "tank/ini_file.h"
#include "tank/protocol_file.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPoints = 10001;

QByteArray protocolBytes(int count = kPoints)
{
    QByteArray b("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\n"
                 "CompanyName=#1041#1072#1082\r\nSN=123456\r\nLengthProbe=700\r\n"
                 "[Point]\r\nStop_Point=" +
                 QByteArray::number(count - 1) + "\r\n[Protocol_Date]\r\n");
    for (int i = 0; i < count; ++i) {
        const QByteArray k = QByteArray::number(i);
        b += "Time" + k + "=" + QByteArray::number(i * 3) + "\r\nFilterN" + k + "=" +
             QByteArray::number(i % 4096) + "\r\nFilterC" + k + "=31234\r\nSistem_Time" + k +
             "=12:34:56\r\nliter" + k + "=0012,50\r\nTetmo" + k + "=+23\r\nStatus_Save" + k +
             (i % 10 ? "=Auto Save\r\n" : "=User Save\r\n");
    }
    return b;
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The floor of an opening: the file read whole, nothing parsed.
qsizetype bareRead(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    QByteArray bytes(qsizetype(QFileInfo(path).size()), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t r = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (r <= 0)
            break;
        got += r;
    }
    ::close(fd);
    return got;
}

// The floor of a durable write: the bytes under a temporary name beside the
// target, written, flushed, renamed over it and the folder flushed.
bool bareDurableRewrite(const QString &dir, const QByteArray &bytes)
{
    const QByteArray tmp = QFile::encodeName(dir + QStringLiteral("/.bare.tmp"));
    const QByteArray target = QFile::encodeName(dir + QStringLiteral("/bare.kvi"));
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tmp.constData(), target.constData()) == 0;
    const int dfd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = dfd >= 0 && ::fsync(dfd) == 0 && ok;
    if (dfd >= 0)
        ::close(dfd);
    return ok;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

int main(int argc, char **argv)
{
    // --write DIR: the protocol of 10,001 points and one of two points, as
    // DIR/points10001.kvi and DIR/points2.kvi, for an instruction count of
    // "kvtool protocol" on each (scripts/bench.sh).
    if (argc > 2 && QByteArray(argv[1]) == "--write") {
        const QString out = QString::fromLocal8Bit(argv[2]);
        for (int points : {kPoints, 2}) {
            QFile f(out + QStringLiteral("/points%1.kvi").arg(points));
            const QByteArray b = protocolBytes(points);
            if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size())
                return 1;
        }
        return 0;
    }
    const bool quick = argc > 1 && QByteArray(argv[1]) == "--quick";
    const int openRuns = quick ? 2 : 30;
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
    // Opening: recognise, general data, all points, the table. The kept parsed
    // text is dropped before every run, so each run reads and parses the file
    // as the first opening after start does; warm runs are measured apart.
    // Each cold run follows a bare read of the file, its floor.
    std::vector<double> openMs, warmMs, readMs;
    for (int run = 0; run < openRuns; ++run) {
        const bool cold = run < openRuns / 2;
        if (cold) {
            QElapsedTimer t;
            t.start();
            if (bareRead(path) != bytes.size()) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            readMs.push_back(ms(t));
            IniFile::dropCache();
        }
        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        QElapsedTimer t;
        t.start();
        const ProtocolStatus st = ProtocolFile(path).open(*data, general, points);
        (cold ? openMs : warmMs).push_back(ms(t));
        if (!st.ok()) {
            std::fprintf(stderr, "open failed: %s\n", qPrintable(st.text));
            return 1;
        }
    }
    const double openMedian = benchMedian(openMs);
    const double readMedian = benchMedian(readMs);
    if (quick) {
        benchFloorRow("open a 10,001-point protocol", openMedian, readMedian, "ms", 15);
        return 0;
    }

    // One durable point write (seven keys and Stop_Point, one commit), in
    // turns with a bare durable rewrite of the bytes the write left, to a file
    // of its own in the same folder: both meet the same disk at the same time.
    std::vector<double> writeMs, bareMs;
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
        const QByteArray now = fileBytes(path);
        t.start();
        if (!bareDurableRewrite(dir.path(), now)) {
            std::fprintf(stderr, "bare rewrite failed in %s\n", qPrintable(dir.path()));
            return 1;
        }
        bareMs.push_back(ms(t));
    }
    // The first write builds the points' lines for changing them; the median
    // is that of the writes that follow it, as while recording.
    const double writeMedian = benchMedian(std::vector<double>(writeMs.begin() + 1, writeMs.end()));
    const double bareMedian = benchMedian(std::vector<double>(bareMs.begin() + 1, bareMs.end()));

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
    const double baselineWriteMedian = benchMedian(baseWriteMs);

    benchFloorRow("open a 10,001-point protocol (median)", openMedian, readMedian, "ms", 15);
    benchInfo("  the same, parsed text kept (median)", benchMedian(warmMs), "ms");
    benchFloorRow("one point written durably (median)", writeMedian, bareMedian, "ms", 10, 2);
    benchInfo("  the first write after the opening", writeMs.front(), "ms");
    benchInfo("  baseline: a whole-file read per key, opening", baselineOpen, "ms");
    benchInfo("  baseline: a whole-file rewrite per key, point", baselineWriteMedian, "ms");
    return 0;
}
