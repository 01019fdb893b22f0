// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/ini_file.h"

#include "common/numfmt.h"

#include <QFile>
#include <QFileInfo>

#include <mutex>

#include <algorithm>
#include <atomic>
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
// A 10,001-point protocol has about 70,000 lines. Every line read costs memory
// well beyond its bytes (its key, its value, its index entry), so a file of
// many short lines is refused by its line count before it is parsed.
constexpr qsizetype kMaxLines = 2000000;

bool isBlank(const QByteArray &line)
{
    for (char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

} // namespace

namespace {
using IniText::entryOf;
using IniText::EntrySpan;
using IniText::forEachLine;
using IniText::isSpace;

// Line ends in bytes; a text of n bytes has at most n, so only a text longer
// than `limit` bytes is counted at all.
bool moreLinesThan(const QByteArray &bytes, qsizetype limit)
{
    if (bytes.size() <= limit)
        return false;
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    qsizetype count = 0;
    while (const void *nl = std::memchr(p, '\n', size_t(end - p))) {
        if (++count > limit)
            return true;
        p = static_cast<const char *>(nl) + 1;
    }
    return false;
}

} // namespace

bool IniText::entryOfUntidy(const char *p, qsizetype len, qsizetype eq, EntrySpan &e)
{
    qsizetype a = 0, b = len;
    while (a < eq && isSpace(p[a]))
        ++a;
    while (b > eq + 1 && isSpace(p[b - 1]))
        --b;
    e.ka = a;
    e.kb = eq;
    while (e.kb > e.ka && isSpace(p[e.kb - 1]))
        --e.kb;
    e.va = eq + 1;
    e.vb = b;
    while (e.va < e.vb && isSpace(p[e.va]))
        ++e.va;
    e.plain = e.ka == 0 && e.kb == eq && e.va == eq + 1 && e.vb == len;
    if (e.vb - e.va >= 2 && (p[e.va] == '"' || p[e.va] == '\'') && p[e.vb - 1] == p[e.va]) {
        ++e.va;
        --e.vb;
        e.plain = false;
    }
    return true;
}

IniDocument IniDocument::parse(const QByteArray &bytes)
{
    IniDocument doc;
    doc.m_text = bytes;
    doc.m_sections.emplace_back();
    qsizetype pos = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = true;
        pos = 3;
    }
    const qsizetype firstNl = bytes.indexOf('\n', pos);
    if (firstNl > 0 && bytes.at(firstNl - 1) != '\r')
        doc.m_eol = QByteArrayLiteral("\n");

    // Only the section headers are looked at here; the lines of a section are
    // built when something looks into it (a protocol's 70,000 point keys are
    // read in one pass over the text instead). A header is a line whose first
    // character other than blanks is "[": each "[" is looked at, and the rest
    // of its line skipped when blanks alone do not lead to it.
    const char *data = bytes.constData();
    const qsizetype n = bytes.size();
    const qsizetype textStart = pos;
    doc.m_sections.back().built = false;
    doc.m_sections.back().from = pos;
    while (pos < n) {
        const void *bracket = std::memchr(data + pos, '[', size_t(n - pos));
        if (!bracket)
            break;
        const qsizetype at = static_cast<const char *>(bracket) - data;
        qsizetype start = at;
        while (start > textStart && data[start - 1] != '\n' && isSpace(data[start - 1]))
            --start;
        const void *nl = std::memchr(data + at, '\n', size_t(n - at));
        const qsizetype lineEnd = nl ? static_cast<const char *>(nl) - data : n;
        pos = lineEnd + 1;
        if (start > textStart && data[start - 1] != '\n')
            continue;
        const char *p = data + start;
        qsizetype len = lineEnd - start;
        if (p[len - 1] == '\r')
            --len;
        const qsizetype a = at - start;
        qsizetype b = len;
        while (b > a && isSpace(p[b - 1]))
            --b;
        const void *close = std::memchr(p + a, ']', size_t(b - a));
        const qsizetype ce = close ? static_cast<const char *>(close) - p : b;
        doc.m_sections.back().to = start;
        Section s;
        s.name = QByteArray(p + a + 1, ce - a - 1).trimmed();
        s.header = QByteArray(p, len);
        s.built = false;
        s.from = std::min(pos, n);
        const QByteArray key = s.name.toLower();
        doc.m_sections.push_back(std::move(s));
        // The first of duplicate sections is the one found and written.
        if (!doc.m_sectionIndex.contains(key))
            doc.m_sectionIndex.insert(key, int(doc.m_sections.size()) - 1);
    }
    doc.m_sections.back().to = n;
    return doc;
}

void IniDocument::build(size_t i) const
{
    Section &s = m_sections[i];
    if (s.built)
        return;
    s.built = true;
    const char *text = m_text.constData();
    qsizetype count = 0;
    forEachLine(text, s.from, s.to, [&count](const char *, qsizetype, qsizetype) { ++count; });
    s.lines.reserve(size_t(count));
    if (i > 0)
        s.index.reserve(count);
    forEachLine(text, s.from, s.to, [&](const char *p, qsizetype len, qsizetype eq) {
        Line line;
        EntrySpan e;
        // Lines before the first section are kept as they are.
        if (i > 0 && entryOf(p, len, eq, e)) {
            line.plain = e.plain;
            line.entry = true;
            line.key = QByteArray(p + e.ka, e.kb - e.ka);
            line.value = QByteArray(p + e.va, e.vb - e.va);
            const QByteArray k = line.key.toLower();
            if (!s.index.contains(k))
                s.index.insert(k, int(s.lines.size()));
            ++s.entries;
        }
        if (!line.plain)
            line.raw = QByteArray(p, len);
        line.at = verbatimAt(p, len);
        s.lines.push_back(std::move(line));
    });
}

QByteArray IniDocument::fold(const QByteArray &s)
{
    // Most keys are looked up as the program spells them: no copy when there
    // is nothing to trim or lower.
    bool plain = !s.isEmpty() && !isSpace(s.front()) && !isSpace(s.back());
    for (qsizetype i = 0; plain && i < s.size(); ++i)
        plain = !(s[i] >= 'A' && s[i] <= 'Z');
    return plain ? s : s.trimmed().toLower();
}

qsizetype IniDocument::verbatimAt(const char *line, qsizetype len) const
{
    // The line end as read follows the line's bytes ("\r\n": the "\r" that
    // reading dropped, then "\n"); a last line without one never matches.
    const char *text = m_text.constData();
    const qsizetype at = line - text;
    const qsizetype end = at + len;
    const bool same = m_eol.size() == 2
                          ? end + 1 < m_text.size() && text[end] == '\r' && text[end + 1] == '\n'
                          : end < m_text.size() && text[end] == '\n';
    return same ? at : -1;
}

QByteArray IniDocument::serialize() const
{
    // The pieces of the text in order. A piece that continues the one before
    // it in the text as read joins it, so lines that are written back as they
    // were read go out in long runs: a protocol rewritten for one new point is
    // copied almost whole, not line by line.
    std::vector<std::pair<const char *, qsizetype>> pieces;
    const qsizetype eol = m_eol.size();
    auto put = [&pieces](const char *p, qsizetype len) {
        if (len == 0)
            return;
        if (!pieces.empty() && pieces.back().first + pieces.back().second == p)
            pieces.back().second += len;
        else
            pieces.emplace_back(p, len);
    };
    auto putLine = [&](const char *p, qsizetype len, qsizetype at) {
        if (at >= 0) {
            put(m_text.constData() + at, len + eol);
        } else {
            put(p, len);
            put(m_eol.constData(), eol);
        }
    };
    if (m_bom)
        put(m_text.constData(), 3);
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const Section &s = m_sections[i];
        if (i > 0) {
            put(s.header.constData(), s.header.size());
            put(m_eol.constData(), eol);
        }
        // A section nobody looked into goes out line by line as it was read.
        if (!s.built)
            forEachLine(m_text.constData(), s.from, s.to,
                        [&](const char *p, qsizetype len, qsizetype) {
                            putLine(p, len, verbatimAt(p, len));
                        });
        for (const Line &l : s.lines) {
            if (l.removed)
                continue;
            if (l.at >= 0) {
                put(m_text.constData() + l.at,
                    (l.plain ? l.key.size() + 1 + l.value.size() : l.raw.size()) + eol);
            } else if (l.plain) {
                put(l.key.constData(), l.key.size());
                put("=", 1);
                put(l.value.constData(), l.value.size());
                put(m_eol.constData(), eol);
            } else {
                putLine(l.raw.constData(), l.raw.size(), -1);
            }
        }
    }
    qsizetype size = 0;
    for (const auto &piece : pieces)
        size += piece.second;
    QByteArray out(size, Qt::Uninitialized);
    char *w = out.data();
    for (const auto &[p, len] : pieces) {
        std::memcpy(w, p, size_t(len));
        w += len;
    }
    return out;
}

size_t IniDocument::sectionIndex(const QByteArray &name) const
{
    // A protocol has a handful of sections: comparing names beats folding a copy
    // of the name for every lookup. The first of duplicate sections is found.
    for (size_t i = 1; i < m_sections.size(); ++i)
        if (m_sections[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    const QByteArray t = name.trimmed();
    if (t.size() != name.size()) {
        auto it = m_sectionIndex.constFind(t.toLower());
        return it == m_sectionIndex.constEnd() ? 0 : size_t(*it);
    }
    return 0;
}

const IniDocument::Section *IniDocument::section(const QByteArray &name) const
{
    const size_t i = sectionIndex(name);
    if (i == 0)
        return nullptr;
    build(i);
    return &m_sections[i];
}

bool IniDocument::hasSection(const QByteArray &name) const
{
    return sectionIndex(name) != 0;
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
    if (it != m_sectionIndex.constEnd()) {
        build(size_t(*it));
        return m_sections[size_t(*it)];
    }
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
        l.plain = true;
        l.raw.clear();
        l.at = -1;
        return;
    }
    // After the last line that is not blank, so the blank line that separates
    // sections stays between them. Only blank or removed lines move, and they
    // are not in the index.
    size_t at = s.lines.size();
    while (at > 0 &&
           (s.lines[at - 1].removed || (!s.lines[at - 1].plain && isBlank(s.lines[at - 1].raw))))
        --at;
    Line l;
    l.entry = true;
    l.key = key.trimmed();
    l.value = value;
    l.plain = true;
    s.lines.insert(s.lines.begin() + qsizetype(at), std::move(l));
    s.index.insert(k, int(at));
    ++s.entries;
}

bool IniDocument::removeKey(const QByteArray &sectionName, const QByteArray &key)
{
    auto sit = m_sectionIndex.constFind(fold(sectionName));
    if (sit == m_sectionIndex.constEnd())
        return false;
    build(size_t(*sit));
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

bool IniDocument::sectionText(const QByteArray &name, QByteArrayView &text) const
{
    const size_t i = sectionIndex(name);
    if (i == 0 || m_sections[i].built)
        return false;
    const Section &s = m_sections[i];
    text = QByteArrayView(m_text.constData() + s.from, s.to - s.from);
    return true;
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

namespace {

bool stampOf(const struct stat &st, FileStamp &out)
{
    out.dev = st.st_dev;
    out.ino = st.st_ino;
    out.size = qint64(st.st_size);
    out.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    out.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

bool stampOfPath(const QString &path, FileStamp &out)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && stampOf(st, out);
}

// The parsed texts of the last files used (the open protocol, mostly).
struct CacheEntry {
    QString path;
    FileStamp stamp;
    IniDocument doc;
};
std::mutex g_cacheLock;
std::vector<CacheEntry> g_cache;
constexpr size_t kCacheEntries = 4;

bool takeCached(const QString &path, const FileStamp &stamp, IniDocument &doc)
{
    std::lock_guard<std::mutex> lock(g_cacheLock);
    for (auto it = g_cache.begin(); it != g_cache.end(); ++it) {
        if (it->path != path)
            continue;
        const bool same = it->stamp == stamp;
        if (same)
            doc = std::move(it->doc);
        g_cache.erase(it);
        return same;
    }
    return false;
}

void putCached(const QString &path, const FileStamp &stamp, IniDocument &&doc)
{
    std::lock_guard<std::mutex> lock(g_cacheLock);
    g_cache.erase(std::remove_if(g_cache.begin(), g_cache.end(),
                                 [&](const CacheEntry &e) { return e.path == path; }),
                  g_cache.end());
    if (g_cache.size() >= kCacheEntries)
        g_cache.erase(g_cache.begin());
    g_cache.push_back({path, stamp, std::move(doc)});
}

} // namespace

void IniFile::dropCache()
{
    std::lock_guard<std::mutex> lock(g_cacheLock);
    g_cache.clear();
}

IniFile::~IniFile()
{
    if (m_stampValid && !m_dirty && !m_path.isEmpty())
        putCached(m_path, m_stamp, std::move(m_doc));
}

IniFile::IniFile(IniFile &&o) noexcept
    : m_path(std::move(o.m_path)), m_doc(std::move(o.m_doc)), m_existed(o.m_existed),
      m_dirty(o.m_dirty), m_stampValid(o.m_stampValid), m_stamp(o.m_stamp)
{
    o.m_stampValid = false;
}

IniFile &IniFile::operator=(IniFile &&o) noexcept
{
    if (this != &o) {
        if (m_stampValid && !m_dirty && !m_path.isEmpty())
            putCached(m_path, m_stamp, std::move(m_doc));
        m_path = std::move(o.m_path);
        m_doc = std::move(o.m_doc);
        m_existed = o.m_existed;
        m_dirty = o.m_dirty;
        m_stampValid = o.m_stampValid;
        m_stamp = o.m_stamp;
        o.m_stampValid = false;
    }
    return *this;
}

namespace {
// Whether the user may change an existing file. The replacement goes through a
// rename in the folder, which ignores the file's own permissions; a protocol
// made read-only must still be refused. root passes access() for every file,
// so for root a file without any write bit counts as read-only.
bool mayWrite(const QString &path)
{
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    if (::stat(p.constData(), &st) != 0)
        return true; // a new file: the folder decides
    if (::geteuid() == 0)
        return (st.st_mode & 0222) != 0;
    return ::access(p.constData(), W_OK) == 0;
}
} // namespace

QString IniFile::load()
{
    m_dirty = false;
    m_stampValid = false;
    m_doc = IniDocument::parse(QByteArray());
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st {};
    m_existed = !m_path.isEmpty() && ::stat(native.constData(), &st) == 0;
    if (!m_existed)
        return QString();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("Unable to read %1: it is a folder").arg(m_path);
    // A pipe or a device would block the read or never end: only a plain file is a protocol.
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("Unable to read %1: it is not a regular file").arg(m_path);
    if (qint64(st.st_size) > kMaxFileSize)
        return tooLargeText();
    FileStamp before;
    if (stampOf(st, before) && takeCached(m_path, before, m_doc)) {
        m_stamp = before;
        m_stampValid = true;
        return QString();
    }
    // O_NONBLOCK: should the name have become a pipe since the stat, the open
    // must not wait for a writer; the fstat below then refuses it.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("Unable to read %1: %2")
            .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
    QString error;
    QByteArray bytes;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = QStringLiteral("Unable to read %1: it is not a regular file").arg(m_path);
    } else if (qint64(st.st_size) > kMaxFileSize) {
        error = tooLargeText();
    } else {
        // Read to the end, not to the size of the stat: a file still growing
        // is cut at the bound.
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (error.isEmpty()) {
            if (got == bytes.size()) {
                if (got > kMaxFileSize) {
                    error = tooLargeText();
                    break;
                }
                bytes.resize(qMin<qint64>(kMaxFileSize + 1, got + 65536));
            }
            const ssize_t r = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (r == 0)
                break;
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                error = QStringLiteral("Unable to read %1: %2")
                            .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
            else
                got += r;
        }
        bytes.truncate(got);
    }
    // The stamp of what was read; a change during the read shows as a new stamp next time.
    m_stampValid =
        error.isEmpty() && ::fstat(fd, &st) == 0 && stampOf(st, m_stamp) && m_stamp == before;
    ::close(fd);
    if (error.isEmpty() && moreLinesThan(bytes, kMaxLines)) {
        m_stampValid = false;
        error = QStringLiteral("Unable to read %1: the file has more than %2 lines")
                    .arg(m_path)
                    .arg(kMaxLines);
    }
    if (!error.isEmpty())
        return error;
    m_doc = IniDocument::parse(bytes);
    return QString();
}

QString IniFile::tooLargeText() const
{
    return QStringLiteral("Unable to read %1: the file is larger than %2 MB")
        .arg(m_path)
        .arg(kMaxFileSize / (1024 * 1024));
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
    if (!mayWrite(target) || !writeFileDurably(target, m_doc.serialize()).isEmpty()) {
        m_stampValid = false;
        return writeErrorText(m_path);
    }
    m_dirty = false;
    m_existed = true;
    m_stampValid = stampOfPath(m_path, m_stamp);
    return QString();
}

void IniFile::clear()
{
    m_doc = IniDocument::parse(QByteArray());
    m_existed = QFileInfo::exists(m_path);
    m_stampValid = false;
    m_dirty = true;
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

QString temporaryPathBeside(const QString &path)
{
    static std::atomic<unsigned> counter{0};
    const QFileInfo fi(path);
    const QString suffix = fi.suffix();
    return fi.absolutePath() + QStringLiteral("/.kv") + QString::number(qint64(::getpid())) +
           QLatin1Char('-') + QString::number(counter++) + QStringLiteral(".tmp") +
           (suffix.isEmpty() || suffix.size() > 8 ? QString() : QLatin1Char('.') + suffix);
}

QString writeFileDurably(const QString &path, const QByteArray &bytes)
{
    const QFileInfo fi(path);
    const QString dir = fi.absolutePath();
    const QByteArray target = QFile::encodeName(fi.absoluteFilePath());
    const QByteArray tmp = QFile::encodeName(temporaryPathBeside(path));
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
