// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Logging categories of the serial link: events in "kv.link", every byte in
// "kv.link.hex" (switched off unless asked for: it is one line per frame).

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcLinkHex)
