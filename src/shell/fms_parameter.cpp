#include "shell/fms_parameter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// Windows-1251 bytes 0x80 … 0xBF; 0xC0 … 0xFF are А … я in order (U+0410 …).
const char16_t cp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

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
    text.clear();
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            text.append(QChar(b));
        else if (b < 0xC0)
            text.append(QChar(cp1251High[b - 0x80]));
        else
            text.append(QChar(char16_t(0x0410 + (b - 0xC0))));
    }
    return text;
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
