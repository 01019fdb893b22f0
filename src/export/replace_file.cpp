#include "export/replace_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

QString temporaryBeside(const QString &path)
{
    const QFileInfo fi(path);
    return fi.absolutePath() + QStringLiteral("/.") + fi.completeBaseName() +
           QStringLiteral(".tmp") + QString::number(qint64(::getpid())) + QLatin1Char('.') +
           fi.suffix();
}

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
