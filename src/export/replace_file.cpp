// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/replace_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

QString moveOver(const QString &temporary, const QString &path)
{
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(path).constData()) == 0)
        return QString();
    const int err = errno;
    QFile::remove(temporary);
    return QStringLiteral("Unable to write to %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(err)));
}
