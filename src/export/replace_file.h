// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A document is written under a temporary name beside its target and then
// renamed over it, so a failure never leaves half a file under the name.

#include "tank/ini_file.h" // temporaryPathBeside

#include <QString>

/// Renames `temporary` over `path`. Empty text on success; otherwise the
/// temporary file is removed and the text says why ("Unable to write to …").
[[nodiscard]] QString moveOver(const QString &temporary, const QString &path);
