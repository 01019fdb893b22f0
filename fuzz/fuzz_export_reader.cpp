// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The export reader fed arbitrary bytes as a protocol, behind a [Protocol]
// head of Version 100 or 99 (or none) as the first input byte chooses; a
// protocol it accepts is turned into the workbook's cells, the report and the
// telematics table.

#include "export/protocol_export.h"
#include "fuzz_files.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t shape = data[0];
    static const QString path = fuzzScratchPath("fuzz.kvi");
    fuzzProtocolFile(shape, data + 1, size - 1, path);
    IniFile::dropCache();

    ExportData out;
    if (!readExportData(path, out).ok())
        return 0;
    SheetDefaults defaults;
    defaults.connectedMajor = (shape & 4) ? 8 : 5;
    (void)spreadsheetContent(out, shape & 8, defaults, (shape >> 4) & 1);
    (void)reportContent(out);
    (void)wlpContent(out, QStringLiteral("{"), QStringLiteral("}"), shape & 32);
    return 0;
}
