// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The table check fed arbitrary bytes as a protocol (behind a [Protocol] head
// as the first input byte chooses), the way kvtool check reads it: the user
// points with any 32-bit level code and any litres, the range from the stored
// sensor settings, the findings and their texts in both languages.

#include "fuzz_files.h"
#include "tank/protocol_file.h"
#include "tank/table_check.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t shape = data[0];
    static const QString path = fuzzScratchPath("fuzz.kvi");
    fuzzProtocolFile(shape, data + 1, size - 1, path);
    IniFile::dropCache();

    auto table = std::make_unique<TDateProtokol>();
    GeneralData general;
    PointsRead read;
    if (!ProtocolFile(path, 0).open(*table, general, read).ok())
        return 0;
    TableCheck::Limits limits;
    ProtocolReader reader;
    if (reader.load(path).ok())
        if (const auto range = TableCheck::storedRange(reader)) {
            limits.rangeBottom = range->bottom;
            limits.rangeTop = range->top;
        }
    if (limits.rangeTop == 0 && (shape & 4))
        limits.rangeTop = TableCheck::rangeTopFor(table->UserPoints);
    const bool draining = shape & 8;
    for (const TableCheck::Finding &f : TableCheck::check(table->UserPoints, draining, limits))
        for (int lang : {0, 1})
            if (TableCheck::text(f, draining, limits, lang).isEmpty())
                std::abort();
    return 0;
}
