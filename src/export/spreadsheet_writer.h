// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Writes a spreadsheet's cells as an .xlsx workbook (the table's sheet, and a
// chart sheet of its points), crash-safely:
// the workbook is written beside the target under a temporary name and then
// renamed over it, so a failure never leaves half a file under the name.

#include "export/protocol_export.h"

#include <QString>

/// Empty text on success, else why the file could not be written.
[[nodiscard]] QString writeXlsx(const SheetContent &content, const QString &path);
