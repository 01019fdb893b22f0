// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The protocol reader and its text codecs fed arbitrary bytes as a .kvi file.
// The first input byte chooses the shape: the bytes as they are, or behind a
// [Protocol] head of Version 100 (numeric texts) or 99 (Windows-1251 texts),
// and whether a point deletion and a litres correction run on the file after
// the opening. Every encoded value read is also decoded on its own, and a
// numeric text that decodes must encode back to the same bytes; the points'
// keys read in one pass must be those that key lookups give.

#include "fuzz_files.h"
#include "tank/protocol_codec.h"
#include "tank/protocol_file.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}

void roundTrip(const QByteArray &value)
{
    for (bool cut : {false, true}) {
        const auto text = decodeNumericText(value, cut);
        if (text)
            check(encodeProtocolText(*text) == value.left(value.size() / 5 * 5));
    }
    (void)decodeLegacyText(value);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t shape = data[0];
    static const QString path = fuzzScratchPath("fuzz.kvi");
    const QByteArray bytes = fuzzProtocolFile(shape, data + 1, size - 1, path);
    IniFile::dropCache();

    // The document itself: written back and read again, every key of the
    // protocol's sections keeps its value and its place.
    const IniDocument doc = IniDocument::parse(bytes);
    const IniDocument again = IniDocument::parse(doc.serialize());
    for (const QByteArray &section :
         {Protocol::kProtocol, Protocol::kUserOption, Protocol::kPoint, Protocol::kProtocolDate}) {
        const std::vector<QByteArray> keys = doc.keys(section);
        check(again.keys(section) == keys);
        for (const QByteArray &key : keys)
            check(*again.find(section, key) == *doc.find(section, key));
    }

    auto table = std::make_unique<TDateProtokol>();
    GeneralData general;
    PointsRead points;
    ProtocolFile file(path, shape & 4 ? 1 : 0);
    const ProtocolStatus opened = file.open(*table, general, points);
    if (opened.ok()) {
        int previous = -1;
        for (const StoredPoint &p : points.points) {
            check(p.index > previous);
            previous = p.index;
        }
    }

    ProtocolReader reader;
    if (reader.load(path).ok()) {
        for (const QByteArray &key : Protocol::generalTextKeys()) {
            QString out;
            (void)reader.text(key, reader.version(), out);
            bool cut = false;
            roundTrip(reader.ini().readBytes(Protocol::kUserOption, key, QByteArray(), &cut));
        }
        const qint32 stop = reader.stopPoint();
        (void)reader.pointKeys(stop, QStringLiteral("0"));
        // The one-pass reading of the points' keys gives what key lookups give.
        std::vector<std::pair<int, PointKeys>> keys;
        (void)reader.points(nullptr, &keys, QStringLiteral("-"));
        for (const auto &[i, k] : keys) {
            const PointKeys one = reader.pointKeys(i, QStringLiteral("-"));
            check(k.Time == one.Time && k.FilterN == one.FilterN && k.FilterC == one.FilterC &&
                  k.Sistem_Time == one.Sistem_Time && k.liter == one.liter &&
                  k.Tetmo == one.Tetmo && k.Status_Save == one.Status_Save);
        }
    }

    if (opened.ok() && (shape & 8) && !points.points.empty()) {
        const StoredPoint &victim = points.points[size_t(shape >> 4) % points.points.size()];
        (void)file.setLitres(victim.index, 12.5);
        (void)file.addLitres(victim.index, -1.25);
        (void)file.deletePoint(victim.index);
        PointsRead after;
        check(file.readPoints(after).ok());
    }
    return 0;
}
