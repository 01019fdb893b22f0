// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/fms_parameter.h"

#include "common/cp1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// A file this big is not a names file; reading stops there.
constexpr qint64 MaxFileSize = 1 << 20;

QString stripQuotes(const QString &v)
{
    if (v.size() >= 2 &&
        ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        return v.mid(1, v.size() - 2);
    return v;
}

} // namespace

QString FmsParameter::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1251(bytes);
}

QStringList FmsParameter::parse(const QByteArray &content)
{
    QString text = decode(content);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QStringList names;
    QList<bool> found(Count, false);
    for (int i = 0; i < Count; ++i)
        names.append(QString::number(i));

    bool inSection = false;
    const QStringList lines = text.split('\n');
    for (QString line : lines) {
        line = line.trimmed(); // also drops the CR of CRLF
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const int close = line.indexOf(']');
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(QLatin1String("SET_FSN_PARAM"), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const int eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!key.startsWith(QLatin1String("Name"), Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const QString digits = key.mid(4);
        const int index = digits.toInt(&ok, 10);
        // "Name3" only: no sign, blanks or leading zeros.
        if (!ok || index < 0 || index >= Count || digits != QString::number(index) || found[index])
            continue;
        found[index] = true;
        names[index] = stripQuotes(line.mid(eq + 1).trimmed());
    }
    return names;
}

QStringList FmsParameter::defaultSearchDirs()
{
    QStringList dirs{QDir::currentPath()};
    if (QCoreApplication::instance())
        dirs.append(QCoreApplication::applicationDirPath());
    return dirs;
}

FmsParameterFile FmsParameter::read(const QStringList &dirs)
{
    for (const QString &dirPath : dirs) {
        const QDir dir(dirPath);
        QString path = dir.filePath(FileName);
        if (!QFileInfo(path).isFile()) {
            const QStringList matches =
                dir.entryList({FileName}, QDir::Files | QDir::Readable | QDir::Hidden);
            if (matches.isEmpty())
                continue;
            path = dir.filePath(matches.first());
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        return {parse(f.read(MaxFileSize)), path};
    }
    return {parse(QByteArray()), QString()};
}
