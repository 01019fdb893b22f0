// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/link_log.h"

Q_LOGGING_CATEGORY(lcLink, "kv.link")
Q_LOGGING_CATEGORY(lcLinkHex, "kv.link.hex", QtWarningMsg)
