// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Windows-1251, the single-byte Cyrillic code page of older protocol files,
// names files and the telematics table.

#include <QByteArray>
#include <QString>

/// Every byte as its character (0x98, which the code page leaves unassigned,
/// as U+FFFD).
QString fromCp1251(const QByteArray &bytes);
/// Every character as its byte; one that the code page lacks becomes "?" and,
/// when `unmapped` is given, is appended there once.
QByteArray toCp1251(const QString &text, QString *unmapped = nullptr);
