// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The INI container of the calibration protocol file. It keeps the behaviour
// installers' files rely on: keys and sections found without regard to case,
// the first of duplicate sections or keys wins, a missing key gives the
// caller's default, a new key goes to the end of its section and a new section
// to the end of the file, a rewritten key keeps its place, and a value read
// back is at most 2047 characters. Lines it does not understand (comments,
// lines without "=", garbage) are kept as they are.
//
// The file is never held open: IniFile loads it whole, the caller reads and
// changes the in-memory copy, and commit() replaces the file crash-safely
// (temporary file in the same folder, fsync, rename, fsync of the folder), so
// a power cut leaves the old or the new file, never a broken one.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <cstring>
#include <sys/types.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <vector>

/// Longest value a read gives back (the platform's 2048-character buffer).
constexpr int kIniMaxValueLength = 2047;

/// A lambda called once a line of a protocol's text, put into its caller.
#if defined(__GNUC__)
#define KV_INLINE __attribute__((always_inline))
#else
#define KV_INLINE
#endif

/// How a line of the text is read; shared by the document and by readers that
/// walk a section's text in one pass (inline: they run once a line).
namespace IniText {

/// Blank, tab, and the line and page breaks '\n' '\v' '\f' '\r' (9 to 13).
inline bool isSpace(char c)
{
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

/// Calls f(line, length, eq) for every line of text[from, to), without its
/// line end ("\n", or "\r\n"); eq is where the first "=" of the line lies,
/// -1 when it has none. The text is looked at sixteen bytes at a time where
/// the processor allows: a protocol has 70,000 short lines.
template <typename F>
void forEachLine(const char *text, qsizetype from, qsizetype to, F &&f)
{
    qsizetype start = from; // the line being read
    qsizetype eq = -1;      // its first "=", from the line's start
    const auto emit = [&](qsizetype end) KV_INLINE {
        qsizetype len = end - start;
        if (len > 0 && text[end - 1] == '\r')
            --len;
        f(text + start, len, eq);
        start = end + 1;
        eq = -1;
    };
    qsizetype pos = from;
#if defined(__SSE2__)
    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i equals = _mm_set1_epi8('=');
    for (; pos + 16 <= to; pos += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + pos));
        unsigned ends = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, newline)));
        unsigned signs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, equals)));
        while (ends != 0) {
            const int at = __builtin_ctz(ends);
            const unsigned before = signs & ((1u << at) - 1);
            if (eq < 0 && before != 0)
                eq = pos + __builtin_ctz(before) - start;
            emit(pos + at);
            signs &= ~((2u << at) - 1); // the signs of the next line remain
            ends &= ends - 1;
        }
        if (eq < 0 && signs != 0)
            eq = pos + __builtin_ctz(signs) - start;
    }
#endif
    for (; pos < to; ++pos) {
        if (text[pos] == '\n')
            emit(pos);
        else if (text[pos] == '=' && eq < 0)
            eq = pos - start;
    }
    if (start < to)
        emit(to);
}

/// Where the key and the value of an entry line lie: blanks around both
/// dropped, enclosing quotes of the value too. `plain` when the line is
/// written back as key=value unchanged.
struct EntrySpan {
    qsizetype ka = 0, kb = 0, va = 0, vb = 0;
    bool plain = false;
};

/// The spans of a line that needs trimming or unquoting (entryOf's other half).
bool entryOfUntidy(const char *p, qsizetype len, qsizetype eq, EntrySpan &e);

/// The key and the value of the line p[0, len) whose first "=" is at eq
/// (forEachLine's); false for a line without "=" (a comment, garbage): not
/// an entry.
inline bool entryOf(const char *p, qsizetype len, qsizetype eq, EntrySpan &e)
{
    if (eq < 0)
        return false;
    // The line as the program writes it: nothing to trim, nothing quoted.
    if (eq > 0 && eq + 1 < len && !isSpace(p[0]) && !isSpace(p[eq - 1]) && !isSpace(p[eq + 1]) &&
        !isSpace(p[len - 1]) && p[eq + 1] != '"' && p[eq + 1] != '\'') {
        e.ka = 0;
        e.kb = eq;
        e.va = eq + 1;
        e.vb = len;
        e.plain = true;
        return true;
    }
    return entryOfUntidy(p, len, eq, e);
}

} // namespace IniText

/// An INI text held in memory, values as raw bytes (a legacy protocol stores
/// Windows-1251 bytes in them).
class IniDocument {
public:
    static IniDocument parse(const QByteArray &bytes);
    QByteArray serialize() const;

    bool hasSection(const QByteArray &section) const;
    /// The stored value (blanks around it removed, enclosing quotes dropped),
    /// whole; nullptr when the key is missing.
    const QByteArray *find(const QByteArray &section, const QByteArray &key) const;
    /// Rewrites the key in place, or appends it to its section (creating the
    /// section at the end of the file).
    void setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    /// Removes the first entry of the key; false when there was none.
    bool removeKey(const QByteArray &section, const QByteArray &key);
    /// Keys of a section in file order (first occurrences only).
    std::vector<QByteArray> keys(const QByteArray &section) const;
    /// Number of key lines in a section (duplicates included).
    int entryCount(const QByteArray &section) const;
    /// Calls `f` with the key and the value (as find() gives it, whole) of every
    /// key line of a section in file order, duplicates included. A section not
    /// yet looked into is walked in the file's text as read, without building
    /// its lines and its key index: one pass reads all points of a protocol.
    template <typename F>
    void forEachEntry(const QByteArray &section, F &&f) const
    {
        const size_t i = sectionIndex(section);
        if (i == 0)
            return;
        const Section &s = m_sections[i];
        if (s.built) {
            for (const Line &l : s.lines)
                if (l.entry && !l.removed)
                    f(QByteArrayView(l.key), QByteArrayView(l.value));
            return;
        }
        IniText::forEachLine(m_text.constData(), s.from, s.to,
                             [&f](const char *p, qsizetype len, qsizetype eq) KV_INLINE {
                                 IniText::EntrySpan e;
                                 if (IniText::entryOf(p, len, eq, e))
                                     f(QByteArrayView(p + e.ka, e.kb - e.ka),
                                       QByteArrayView(p + e.va, e.vb - e.va));
                             });
    }

    /// The lines of a section as read (the text after its header up to the
    /// next one), while nothing has looked into the section or changed it:
    /// a reader may walk them by the rules of IniText. False otherwise.
    bool sectionText(const QByteArray &section, QByteArrayView &text) const;

    /// "\r\n" unless the file used bare "\n".
    QByteArray lineEnd() const { return m_eol; }

private:
    struct Line {
        QByteArray raw;   // the line as read, when it is not plain key=value
        QByteArray key;   // trimmed key, empty for a line that is not an entry
        QByteArray value; // trimmed value
        bool entry = false;
        bool plain = false; // written back as key=value
        bool removed = false;
        // Where the line and its line end stand unchanged in m_text; -1 for a
        // line written or rewritten since, or one whose line end differs.
        qsizetype at = -1;
    };
    struct Section {
        QByteArray name;
        QByteArray header; // header line as read; empty for the lines before the first section
        std::vector<Line> lines;
        QHash<QByteArray, int> index; // folded key -> first live line
        int entries = 0;
        // Parsing only finds the sections: the lines of one stay the bytes
        // [from, to) of m_text until a lookup or a change needs them.
        bool built = true;
        qsizetype from = 0;
        qsizetype to = 0;
    };

    static QByteArray fold(const QByteArray &s);
    /// The section with its lines built; nullptr when there is none.
    const Section *section(const QByteArray &name) const;
    /// The index of the section (0 when there is none), lines not built.
    size_t sectionIndex(const QByteArray &name) const;
    Section &sectionForWrite(const QByteArray &name);
    /// Builds the lines and the key index of section i from the file's text.
    void build(size_t i) const;
    /// Where the line text[line, line + len) of m_text stands when its line
    /// end as read is the one written back; -1 when not.
    qsizetype verbatimAt(const char *line, qsizetype len) const;

    QByteArray m_text;                       // the file as read
    mutable std::vector<Section> m_sections; // [0] holds the lines before the first header
    QHash<QByteArray, int> m_sectionIndex;
    QByteArray m_eol = QByteArrayLiteral("\r\n");
    bool m_bom = false;
};

/// Identity of a file's content on disk: device, inode, size, change times.
struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    bool operator==(const FileStamp &o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtimeNs == o.mtimeNs &&
               ctimeNs == o.ctimeNs;
    }
};

/// One operation on one INI file: load() reads it whole (a missing file is an
/// empty document), the reads and writes work on memory, commit() writes the
/// file once if anything changed.
///
/// The parsed text of the last files used is kept in memory between operations
/// and taken again only when the file on disk still has the same device, inode,
/// size and change times (every commit replaces the inode, every in-place edit
/// changes the times); otherwise the file is read again. So each operation still
/// sees the file as it is on disk, without parsing a 10,001-point protocol anew
/// for every point written.
class IniFile {
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}
    ~IniFile();
    IniFile(IniFile &&other) noexcept;
    IniFile &operator=(IniFile &&other) noexcept;
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    /// Forgets the kept texts (benchmarks measure the first opening with it).
    static void dropCache();

    const QString &path() const { return m_path; }
    /// Empty text on success (also when the file does not exist), else why not.
    [[nodiscard]] QString load();
    /// Writes the changes durably. Empty text on success, else
    /// "Unable to write to <file>" (also for a file that is read-only: the
    /// rename would replace it anyway). Nothing to do when nothing changed.
    [[nodiscard]] QString commit();
    /// Starts from an empty document whatever the file holds (a new protocol);
    /// the next commit writes the file.
    void clear();
    bool existed() const { return m_existed; }
    bool dirty() const { return m_dirty; }

    /// At most kIniMaxValueLength bytes; `cut` tells whether the stored value was longer.
    QByteArray readBytes(const QByteArray &section, const QByteArray &key, const QByteArray &def,
                         bool *cut = nullptr) const;
    /// readBytes as Latin-1 text (the plain ASCII keys).
    QString readString(const QByteArray &section, const QByteArray &key, const QString &def) const;
    /// A decimal integer of 32 bits (blanks around it allowed); anything else gives `def`.
    qint32 readInteger(const QByteArray &section, const QByteArray &key, qint32 def) const;
    /// A decimal with the comma; an empty or non-converting value gives `def`.
    double readFloat(const QByteArray &section, const QByteArray &key, double def) const;
    bool hasKey(const QByteArray &section, const QByteArray &key) const
    {
        return m_doc.find(section, key) != nullptr;
    }

    /// Line breaks and NULs in a value would split or end the line; they become blanks.
    void writeBytes(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    /// Code units above 0xFF become "?" (plain keys are ASCII by construction).
    void writeString(const QByteArray &section, const QByteArray &key, const QString &value);
    void writeInteger(const QByteArray &section, const QByteArray &key, qint64 value);
    /// General decimal form with the comma, up to 15 significant digits (12,5).
    void writeFloat(const QByteArray &section, const QByteArray &key, double value);
    void deleteKey(const QByteArray &section, const QByteArray &key);

    const IniDocument &document() const { return m_doc; }

    /// The text of a failed write, as the tool shows it.
    static QString writeErrorText(const QString &path);

private:
    QString tooLargeText() const;

    QString m_path;
    IniDocument m_doc;
    bool m_existed = false;
    bool m_dirty = false;
    bool m_stampValid = false; // m_doc matches the file on disk as m_stamp describes
    FileStamp m_stamp;
};

/// A hidden name in the folder of `path` for a file that will be renamed over
/// it, unique in this process and short whatever the length of `path`'s name
/// (a name that fits the file system must not fail for its temporary's sake).
/// It keeps a short extension, by which a writer may choose its format.
QString temporaryPathBeside(const QString &path);

/// Replaces `path` by `bytes` crash-safely. Empty text on success, else the reason.
[[nodiscard]] QString writeFileDurably(const QString &path, const QByteArray &bytes);
