#include "tank/ini_file.h"

#include "common/numfmt.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A protocol of 10,001 points is about 1 MB; anything far beyond that is not a
// protocol, and reading it whole must not exhaust memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

bool isBlank(const QByteArray &line)
{
    for (char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

QByteArray stripQuotes(QByteArray v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

} // namespace

IniDocument IniDocument::parse(const QByteArray &bytes)
{
    IniDocument doc;
    doc.m_sections.emplace_back();
    qsizetype pos = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = true;
        pos = 3;
    }
    const qsizetype firstNl = bytes.indexOf('\n', pos);
    if (firstNl > 0 && bytes.at(firstNl - 1) != '\r')
        doc.m_eol = QByteArrayLiteral("\n");

    Section *cur = &doc.m_sections.back();
    int curIndex = 0;
    const qsizetype n = bytes.size();
    while (pos < n) {
        qsizetype end = bytes.indexOf('\n', pos);
        const qsizetype next = end < 0 ? n : end + 1;
        if (end < 0)
            end = n;
        qsizetype len = end - pos;
        if (len > 0 && bytes.at(pos + len - 1) == '\r')
            --len;
        QByteArray raw = bytes.mid(pos, len);
        pos = next;

        const QByteArray t = raw.trimmed();
        if (t.startsWith('[')) {
            qsizetype close = t.indexOf(']');
            QByteArray name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
            const QByteArray key = fold(name);
            doc.m_sections.emplace_back();
            curIndex = int(doc.m_sections.size()) - 1;
            cur = &doc.m_sections.back();
            cur->name = name;
            cur->header = raw;
            // The first of duplicate sections is the one found and written.
            if (!doc.m_sectionIndex.contains(key))
                doc.m_sectionIndex.insert(key, curIndex);
            continue;
        }
        Line line;
        line.raw = raw;
        const qsizetype eq = raw.indexOf('=');
        if (eq >= 0 && curIndex > 0) {
            line.entry = true;
            line.key = raw.left(eq).trimmed();
            line.value = stripQuotes(raw.mid(eq + 1).trimmed());
            const QByteArray k = fold(line.key);
            if (!cur->index.contains(k))
                cur->index.insert(k, int(cur->lines.size()));
            ++cur->entries;
        }
        cur->lines.push_back(std::move(line));
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    qsizetype size = 3;
    for (const Section &s : m_sections) {
        size += s.header.size() + 2;
        for (const Line &l : s.lines)
            size += l.raw.size() + 2;
    }
    out.reserve(size);
    if (m_bom)
        out += "\xEF\xBB\xBF";
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const Section &s = m_sections[i];
        if (i > 0)
            out += s.header + m_eol;
        for (const Line &l : s.lines)
            if (!l.removed)
                out += l.raw + m_eol;
    }
    return out;
}

const IniDocument::Section *IniDocument::section(const QByteArray &name) const
{
    auto it = m_sectionIndex.constFind(fold(name));
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[size_t(*it)];
}

bool IniDocument::hasSection(const QByteArray &name) const
{
    return section(name) != nullptr;
}

const QByteArray *IniDocument::find(const QByteArray &sectionName, const QByteArray &key) const
{
    const Section *s = section(sectionName);
    if (!s)
        return nullptr;
    auto it = s->index.constFind(fold(key));
    return it == s->index.constEnd() ? nullptr : &s->lines[size_t(*it)].value;
}

IniDocument::Section &IniDocument::sectionForWrite(const QByteArray &name)
{
    const QByteArray k = fold(name);
    auto it = m_sectionIndex.constFind(k);
    if (it != m_sectionIndex.constEnd())
        return m_sections[size_t(*it)];
    Section s;
    s.name = name.trimmed();
    s.header = '[' + s.name + ']';
    m_sections.push_back(std::move(s));
    m_sectionIndex.insert(k, int(m_sections.size()) - 1);
    return m_sections.back();
}

void IniDocument::setValue(const QByteArray &sectionName, const QByteArray &key,
                           const QByteArray &value)
{
    Section &s = sectionForWrite(sectionName);
    const QByteArray k = fold(key);
    auto it = s.index.constFind(k);
    if (it != s.index.constEnd()) {
        Line &l = s.lines[size_t(*it)];
        l.value = value;
        l.raw = l.key + '=' + value;
        return;
    }
    // After the last line that is not blank, so the blank line that separates
    // sections stays between them. Only blank or removed lines move, and they
    // are not in the index.
    size_t at = s.lines.size();
    while (at > 0 && (s.lines[at - 1].removed || isBlank(s.lines[at - 1].raw)))
        --at;
    Line l;
    l.entry = true;
    l.key = key.trimmed();
    l.value = value;
    l.raw = l.key + '=' + value;
    s.lines.insert(s.lines.begin() + qsizetype(at), std::move(l));
    s.index.insert(k, int(at));
    ++s.entries;
}

bool IniDocument::removeKey(const QByteArray &sectionName, const QByteArray &key)
{
    auto sit = m_sectionIndex.constFind(fold(sectionName));
    if (sit == m_sectionIndex.constEnd())
        return false;
    Section &s = m_sections[size_t(*sit)];
    const QByteArray k = fold(key);
    auto it = s.index.find(k);
    if (it == s.index.end())
        return false;
    const size_t at = size_t(*it);
    s.lines[at].removed = true;
    --s.entries;
    s.index.erase(it);
    // A duplicate further down now becomes the key's value.
    for (size_t i = at + 1; i < s.lines.size(); ++i) {
        const Line &l = s.lines[i];
        if (l.entry && !l.removed && fold(l.key) == k) {
            s.index.insert(k, int(i));
            break;
        }
    }
    return true;
}

std::vector<QByteArray> IniDocument::keys(const QByteArray &sectionName) const
{
    std::vector<QByteArray> out;
    const Section *s = section(sectionName);
    if (!s)
        return out;
    for (size_t i = 0; i < s->lines.size(); ++i) {
        const Line &l = s->lines[i];
        if (l.entry && !l.removed && s->index.value(fold(l.key), -1) == int(i))
            out.push_back(l.key);
    }
    return out;
}

int IniDocument::entryCount(const QByteArray &sectionName) const
{
    const Section *s = section(sectionName);
    return s ? s->entries : 0;
}

// ---------------------------------------------------------------------------

QString IniFile::writeErrorText(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

QString IniFile::load()
{
    m_dirty = false;
    m_doc = IniDocument::parse(QByteArray());
    const QFileInfo fi(m_path);
    m_existed = fi.exists();
    if (!m_existed)
        return QString();
    if (fi.isDir())
        return QStringLiteral("Unable to read %1: it is a folder").arg(m_path);
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("Unable to read %1: %2").arg(m_path, f.errorString());
    if (f.size() > kMaxFileSize)
        return QStringLiteral("Unable to read %1: the file is larger than %2 MB")
            .arg(m_path)
            .arg(kMaxFileSize / (1024 * 1024));
    const QByteArray bytes = f.read(kMaxFileSize + 1);
    if (f.error() != QFileDevice::NoError)
        return QStringLiteral("Unable to read %1: %2").arg(m_path, f.errorString());
    m_doc = IniDocument::parse(bytes);
    return QString();
}

QString IniFile::commit()
{
    if (!m_dirty)
        return QString();
    // Replacing a symbolic link by rename would cut the link; write its target.
    QString target = m_path;
    const QFileInfo fi(m_path);
    if (fi.isSymLink()) {
        const QString canon = fi.canonicalFilePath();
        target = canon.isEmpty() ? fi.symLinkTarget() : canon;
    }
    if (!writeFileDurably(target, m_doc.serialize()).isEmpty())
        return writeErrorText(m_path);
    m_dirty = false;
    m_existed = true;
    return QString();
}

QByteArray IniFile::readBytes(const QByteArray &section, const QByteArray &key,
                              const QByteArray &def, bool *cut) const
{
    const QByteArray *v = m_doc.find(section, key);
    const QByteArray &val = v ? *v : def;
    if (cut)
        *cut = val.size() > kIniMaxValueLength;
    return val.size() > kIniMaxValueLength ? val.left(kIniMaxValueLength) : val;
}

QString IniFile::readString(const QByteArray &section, const QByteArray &key,
                            const QString &def) const
{
    const QByteArray *v = m_doc.find(section, key);
    if (!v)
        return def.left(kIniMaxValueLength);
    return QString::fromLatin1(v->left(kIniMaxValueLength));
}

qint32 IniFile::readInteger(const QByteArray &section, const QByteArray &key, qint32 def) const
{
    const QByteArray *v = m_doc.find(section, key);
    if (!v)
        return def;
    const auto n = NumberFormat::parseInt(QString::fromLatin1(v->left(kIniMaxValueLength)));
    if (!n || *n < std::numeric_limits<qint32>::min() || *n > std::numeric_limits<qint32>::max())
        return def;
    return qint32(*n);
}

double IniFile::readFloat(const QByteArray &section, const QByteArray &key, double def) const
{
    const QByteArray *v = m_doc.find(section, key);
    if (!v)
        return def;
    const auto d =
        NumberFormat(QLatin1Char(',')).parse(QString::fromLatin1(v->left(kIniMaxValueLength)));
    return d ? *d : def;
}

void IniFile::writeBytes(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    QByteArray v = value;
    for (char &c : v)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    m_doc.setValue(section, key, v.trimmed());
    m_dirty = true;
}

void IniFile::writeString(const QByteArray &section, const QByteArray &key, const QString &value)
{
    QByteArray v;
    v.reserve(value.size());
    for (QChar c : value)
        v += c.unicode() <= 0xFF ? char(c.unicode()) : '?';
    writeBytes(section, key, v);
}

void IniFile::writeInteger(const QByteArray &section, const QByteArray &key, qint64 value)
{
    writeBytes(section, key, QByteArray::number(value));
}

void IniFile::writeFloat(const QByteArray &section, const QByteArray &key, double value)
{
    writeBytes(section, key, NumberFormat(QLatin1Char(',')).general(value).toLatin1());
}

void IniFile::deleteKey(const QByteArray &section, const QByteArray &key)
{
    if (m_doc.removeKey(section, key))
        m_dirty = true;
}

// ---------------------------------------------------------------------------

QString writeFileDurably(const QString &path, const QByteArray &bytes)
{
    const QFileInfo fi(path);
    const QString dir = fi.absolutePath();
    const QByteArray target = QFile::encodeName(fi.absoluteFilePath());
    const QByteArray tmp =
        QFile::encodeName(dir + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".tmp") +
                          QString::number(qint64(::getpid())));
    auto fail = [&](const char *what) {
        const int err = errno;
        ::unlink(tmp.constData());
        return QStringLiteral("%1 %2: %3")
            .arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(err)));
    };

    struct stat st {};
    const bool had = ::stat(target.constData(), &st) == 0;
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail("cannot create a temporary file beside");
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t w = ::write(fd, p, size_t(left));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            errno = err;
            return fail("cannot write");
        }
        p += w;
        left -= w;
    }
    // Keep the protocol's permissions across the replacement.
    if (had)
        (void)::fchmod(fd, st.st_mode & 07777);
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return fail("cannot flush");
    }
    if (::close(fd) != 0)
        return fail("cannot close");
    if (::rename(tmp.constData(), target.constData()) != 0)
        return fail("cannot replace");
    // The rename itself reaches the disk only with the folder's entry.
    const int dfd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
    return QString();
}
