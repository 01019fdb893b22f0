// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A scratch file for the fuzz targets whose readers take a path: the input is
// written to a file in a private folder (on /dev/shm when there is one, so no
// disk is touched) and read back by the real reader.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

inline QString fuzzScratchPath(const char *name)
{
    // Removed when the fuzzer exits normally; a crash leaves it for a look.
    struct Scratch {
        QString path;
        Scratch()
        {
            QByteArray base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
            QByteArray templ = base + "/kvfuzz-XXXXXX";
            if (!::mkdtemp(templ.data()))
                std::abort();
            path = QString::fromLocal8Bit(templ);
        }
        ~Scratch() { QDir(path).removeRecursively(); }
    };
    static const Scratch dir;
    return dir.path + QLatin1Char('/') + QLatin1String(name);
}

inline void fuzzWriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::abort();
}

/// A fuzz input as a protocol on disk: bit 0 of the first byte puts the rest
/// behind a [Protocol] head, of Version 100 when bit 1 is set and of Version 99
/// when not; the file is written to the scratch .kvi and the reader's cache
/// dropped. Returns the protocol's bytes.
inline QByteArray fuzzProtocolFile(uint8_t shape, const uint8_t *data, size_t size,
                                   const QString &path)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (shape & 1)
        bytes.prepend((shape & 2) ? "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n"
                                  : "[Protocol]\r\nMarking=OK\r\nVersion=99\r\n");
    fuzzWriteFile(path, bytes);
    return bytes;
}
