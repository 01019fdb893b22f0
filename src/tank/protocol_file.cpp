// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/protocol_file.h"

#include "common/numfmt.h"
#include "tank/protocol_codec.h"

#include <QtEndian>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>

namespace {

const QByteArray kMarking = QByteArrayLiteral("Marking");
const QByteArray kVersionKey = QByteArrayLiteral("Version");

// The seven keys of a point, in the order they are written.
const std::array<QByteArray, 7> kPointKeys = {
    QByteArrayLiteral("Time"),        QByteArrayLiteral("FilterN"), QByteArrayLiteral("FilterC"),
    QByteArrayLiteral("Sistem_Time"), QByteArrayLiteral("liter"),   QByteArrayLiteral("Tetmo"),
    QByteArrayLiteral("Status_Save")};

QByteArray pointKey(int which, int i)
{
    return kPointKeys[size_t(which)] + QByteArray::number(i);
}

// Four or eight bytes of a lower-case name as a little-endian word, with the
// bit 5 of each of its letters: a word of key bytes ORed with those bits
// equals the name's word when the bytes spell it in any case ("_" and any
// other sign must be as they are). An exact word has no such bits.
struct NameWord {
    quint64 word = 0;
    quint64 bits = 0;
    int size = 0;
};
template <int N>
constexpr NameWord nameWord(const char (&lower)[N])
{
    static_assert(N == 5 || N == 9, "four or eight bytes and the final NUL");
    NameWord w;
    w.size = N - 1;
    for (int i = N - 2; i >= 0; --i) {
        w.word = (w.word << 8) | static_cast<unsigned char>(lower[i]);
        w.bits = (w.bits << 8) | ((lower[i] >= 'a' && lower[i] <= 'z') ? 0x20 : 0);
    }
    return w;
}
template <int N>
constexpr NameWord exactWord(const char (&name)[N])
{
    static_assert(N == 5 || N == 9, "four or eight bytes and the final NUL");
    NameWord w;
    w.size = N - 1;
    for (int i = N - 2; i >= 0; --i)
        w.word = (w.word << 8) | static_cast<unsigned char>(name[i]);
    return w;
}
inline bool spellsWord(const char *k, const NameWord &w)
{
    if (w.size == 4)
        return (qFromLittleEndian<quint32>(k) | quint32(w.bits)) == quint32(w.word);
    return (qFromLittleEndian<quint64>(k) | w.bits) == w.word;
}
constexpr NameWord kTime = nameWord("time"), kTetm = nameWord("tetm"), kLite = nameWord("lite"),
                   kFilt = nameWord("filt"), kTern = nameWord("tern"), kTerc = nameWord("terc"),
                   kSistemT = nameWord("sistem_t"), kStatusS = nameWord("status_s"),
                   kSave = nameWord("save");

// The field (its place in kPointKeys) and the point index that a
// [Protocol_Date] key names; false for any other key. Only the canonical
// decimal form counts ("Time7", not "Time07"), as only that is ever written.
// The name is matched as a lookup of the key matches it: ASCII letters without
// regard to case, "_" as it is. It runs once for every line of the points, so
// the name is compared in words, chosen by its first letter.
bool pointKeyOf(QByteArrayView key, int &field, int &index)
{
    const char *k = key.data();
    const qsizetype size = key.size();
    // Each name is followed by at least one digit.
    int f = -1;
    qsizetype length = 0;
    switch (size < 5 ? 0 : k[0] | 0x20) {
    case 't':
        if (spellsWord(k, kTime))
            f = 0, length = 4;
        else if (size >= 6 && spellsWord(k, kTetm) && (k[4] | 0x20) == 'o')
            f = 5, length = 5;
        break;
    case 'l':
        if (size >= 6 && spellsWord(k, kLite) && (k[4] | 0x20) == 'r')
            f = 4, length = 5;
        break;
    case 'f':
        if (size >= 8 && spellsWord(k, kFilt)) {
            if (spellsWord(k + 3, kTern))
                f = 1, length = 7;
            else if (spellsWord(k + 3, kTerc))
                f = 2, length = 7;
        }
        break;
    case 's':
        if (size >= 12) {
            if (spellsWord(k, kSistemT) && spellsWord(k + 7, kTime))
                f = 3, length = 11;
            else if (spellsWord(k, kStatusS) && spellsWord(k + 7, kSave))
                f = 6, length = 11;
        }
        break;
    default:
        break;
    }
    const qsizetype digits = size - length;
    if (f < 0 || digits > 10 || (digits > 1 && k[length] == '0'))
        return false;
    qint64 v = 0;
    for (qsizetype i = length; i < size; ++i) {
        const unsigned d = static_cast<unsigned char>(k[i] - '0');
        if (d > 9)
            return false;
        v = v * 10 + d;
    }
    if (v > std::numeric_limits<int>::max())
        return false;
    field = f;
    index = int(v);
    return true;
}

// The indices of the points stored in the file, ascending, up to Stop_Point:
// an index counts when any of its seven keys is stored. Reading, deletion and
// correction visit these and nothing else, so a sparse file (a point written
// far beyond the others) is read whole, and a Stop_Point that names points
// that are not stored (-1, 2^31-1 in a damaged or foreign file) never makes
// anything walk through billions of absent indices.
std::vector<int> storedIndices(const IniFile &ini, qint32 stopPoint)
{
    std::vector<int> out;
    if (stopPoint < 0)
        return out;
    ini.document().forEachEntry(Protocol::kProtocolDate, [&](QByteArrayView k, QByteArrayView) {
        int field = 0, i = 0;
        if (pointKeyOf(k, field, i) && i <= stopPoint)
            out.push_back(i);
    });
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

bool isStored(const std::vector<int> &stored, int i)
{
    return std::binary_search(stored.begin(), stored.end(), i);
}

qint32 stopPointOf(const IniFile &ini)
{
    return ini.readInteger(Protocol::kPoint, Protocol::kStopPoint, 0);
}

// A decimal integer of 32 bits with blanks around it, read from the stored
// bytes directly: the opening converts 20,000 of them.
// Blanks around a stored number dropped (the values read are trimmed
// already; the public conversions take any text).
inline void trim(const char *&p, const char *&end)
{
    while (p < end && IniText::isSpace(*p))
        ++p;
    while (end > p && IniText::isSpace(end[-1]))
        --end;
}

inline std::optional<qint32> bytesToInt32(QByteArrayView v)
{
    const char *p = v.data();
    const char *end = p + v.size();
    trim(p, end);
    const bool neg = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    if (p == end || end - p > 11)
        return std::nullopt;
    qint64 n = 0;
    for (; p < end; ++p) {
        const unsigned d = static_cast<unsigned char>(*p - '0');
        if (d > 9)
            return std::nullopt;
        n = n * 10 + d;
    }
    n = neg ? -n : n;
    if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(n);
}

// Litres: the two forms the program writes ("0012,50", "12,5") directly, any
// other text through the general decimal parser.
std::optional<double> bytesToLitres(QByteArrayView v, const NumberFormat &nf)
{
    const char *p = v.data();
    const char *end = p + v.size();
    trim(p, end);
    const QByteArrayView t(p, end - p);
    const bool neg = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    // The digits as one integer (exact while there are at most 15 of them).
    quint64 m = 0;
    const char *digitsFrom = p;
    for (unsigned d; p < end && (d = static_cast<unsigned char>(*p - '0')) <= 9; ++p)
        m = m * 10 + d;
    const qsizetype intDigits = p - digitsFrom;
    qsizetype fracDigits = 0;
    if (p < end && *p == ',') {
        const char *f = ++p;
        for (unsigned d; p < end && (d = static_cast<unsigned char>(*p - '0')) <= 9; ++p)
            m = m * 10 + d;
        fracDigits = p - f;
    }
    if (p == end && intDigits > 0 && intDigits + fracDigits <= 15) {
        // Up to 15 digits are exact in a double, and so is 10^fracDigits: the
        // one division rounds as a decimal conversion of the text does.
        static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double d = double(m) / kTens[fracDigits];
        return neg ? -d : d;
    }
    return nf.parse(QString::fromLatin1(t));
}

// The key the program writes after the one before it: the next field of the
// same point, or "Time" of the next point. A key that is it is known at once,
// without taking it apart (pointKeyOf would give the same field and index).
class NextKey {
public:
    int field() const { return m_field; }
    int index() const { return m_index; }
    /// After the key of `field` and `index` was read.
    void after(int field, int index)
    {
        if (field < 6) {
            m_field = field + 1;
            setIndex(index);
        } else {
            m_field = 0;
            setIndex(index < std::numeric_limits<int>::max() ? index + 1 : -1);
        }
    }
    /// The length of the next key when text[0, room) begins with it followed
    /// by "="; 0 when not.
    qsizetype at(const char *text, qsizetype room) const
    {
        const qsizetype name = kPointKeys[size_t(m_field)].size();
        const qsizetype size = name + m_digits;
        if (m_index < 0 || room <= size || text[size] != '=' || !spells(text, m_field))
            return 0;
        for (qsizetype d = 0; d < m_digits; ++d)
            if (text[name + d] != m_text[d])
                return 0;
        return size;
    }
    /// Whether `key` is the next key.
    bool is(QByteArrayView key) const
    {
        const qsizetype name = kPointKeys[size_t(m_field)].size();
        if (m_index < 0 || key.size() != name + m_digits || !spells(key.data(), m_field))
            return false;
        for (qsizetype d = 0; d < m_digits; ++d)
            if (key[name + d] != m_text[d])
                return false;
        return true;
    }

private:
    void setIndex(int index)
    {
        if (index == m_index)
            return;
        m_index = index;
        m_digits = index < 0 ? 0 : std::to_chars(m_text, m_text + sizeof m_text, index).ptr - m_text;
    }
    // Whether k begins with the name of a field as written, compared in words
    // (the bytes of the name and a digit after it are there).
    static bool spells(const char *k, int field)
    {
        static constexpr NameWord kExact[7][2] = {
            {exactWord("Time"), {}},          {exactWord("Filt"), exactWord("terN")},
            {exactWord("Filt"), exactWord("terC")},
            {exactWord("Sistem_T"), exactWord("Time")},
            {exactWord("lite"), {}},          {exactWord("Tetm"), {}},
            {exactWord("Status_S"), exactWord("Save")}};
        const NameWord *w = kExact[field];
        switch (field) {
        case 0:
            return spellsWord(k, w[0]);
        case 4:
            return spellsWord(k, w[0]) && k[4] == 'r';
        case 5:
            return spellsWord(k, w[0]) && k[4] == 'o';
        case 1:
        case 2:
            return spellsWord(k, w[0]) && spellsWord(k + 3, w[1]);
        default:
            return spellsWord(k, w[0]) && spellsWord(k + 7, w[1]);
        }
    }

    int m_field = 0;
    int m_index = 0;
    qsizetype m_digits = 1;
    char m_text[12] = {'0'};
};

// The stored points up to Stop_Point, in one pass over the text. With `keys`,
// also the seven keys of every index visited as key reads give them (`def`
// where one is absent).
PointsRead readPointsFrom(const IniFile &ini, QStringList *notes,
                          std::vector<std::pair<int, PointKeys>> *keys = nullptr,
                          const QString &def = QString())
{
    PointsRead r;
    r.stopPoint = stopPointOf(ini);
    const NumberFormat nf(QLatin1Char(','));
    const QByteArrayView userSave("User Save");
    const QByteArrayView autoSave("Auto Save");
    const QString absent = def.left(kIniMaxValueLength);
    const size_t keysBefore = keys ? keys->size() : 0;

    // The seven keys of one point as a read gives them: the first of
    // duplicates, at most kIniMaxValueLength bytes, else the default.
    struct Point {
        int index = -1;
        std::array<QByteArrayView, 7> value;
        std::array<bool, 7> have{};
        void start(int i)
        {
            index = i;
            have.fill(false);
        }
        void set(int field, QByteArrayView v)
        {
            if (have[size_t(field)])
                return;
            have[size_t(field)] = true;
            value[size_t(field)] = v.first(std::min<qsizetype>(v.size(), kIniMaxValueLength));
        }
    };
    const auto finish = [&](const Point &p) {
        static constexpr std::array<const char *, 7> kDefaults = {"0", "0", "0", "0",
                                                                  "0", "0", "Auto Save"};
        std::array<QByteArrayView, 7> value;
        for (size_t f = 0; f < 7; ++f)
            value[f] = p.have[f] ? p.value[f] : QByteArrayView(kDefaults[f]);
        if (keys) {
            std::array<QString, 7> text;
            for (size_t f = 0; f < 7; ++f)
                text[f] = p.have[f] ? QString::fromLatin1(p.value[f]) : absent;
            keys->push_back({p.index,
                             {text[0], text[1], text[2], text[3], text[4], text[5], text[6]}});
        }
        const auto time = bytesToInt32(value[0]);
        const auto n = bytesToInt32(value[1]);
        const auto litres = bytesToLitres(value[4], nf);
        if (!time || !n || !litres) {
            r.skipped.push_back(p.index);
            return;
        }
        const QByteArrayView status = value[6];
        r.points.push_back({p.index, *time, *n, *litres,
                            status == userSave   ? Protocol::kUserSave
                            : status == autoSave ? Protocol::kAutoSave
                                                 : QString::fromLatin1(status)});
    };

    // The program writes the points in ascending index, each with its keys
    // together: they are taken as they come, one point at a time. A file put
    // together otherwise (an index lower than one before it) is read again
    // below, its keys sorted by index.
    bool inOrder = true;
    if (r.stopPoint >= 0) {
        r.points.reserve(size_t(std::min(r.stopPoint, qint32(Protocol::kTableLast))) + 1);
        Point cur;
        NextKey next;
        // One key of a point with its value, in the order of the text.
        const auto take = [&](int field, int i, QByteArrayView v) KV_INLINE {
            next.after(field, i);
            if (i > r.stopPoint)
                return;
            if (i != cur.index) {
                if (i < cur.index) {
                    inOrder = false;
                    return;
                }
                if (cur.index >= 0)
                    finish(cur);
                cur.start(i);
            }
            cur.set(field, v);
        };
        const auto entry = [&](QByteArrayView k, QByteArrayView v) KV_INLINE {
            int field = next.field(), i = next.index();
            if (!next.is(k) && !pointKeyOf(k, field, i))
                return;
            take(field, i, v);
        };
        QByteArrayView text;
        if (ini.document().sectionText(Protocol::kProtocolDate, text)) {
            // The text as read, line by line. A line as the program writes it
            // ("FilterN12=345": the key expected next, "=", a value without
            // blanks around it or a quote before it) is taken as it stands;
            // any other line is read by the container's rules.
            const char *p = text.data();
            const char *end = p + text.size();
            while (p < end && inOrder) {
                const void *nl = std::memchr(p, '\n', size_t(end - p));
                const char *lineEnd = nl ? static_cast<const char *>(nl) : end;
                qsizetype len = lineEnd - p;
                if (len > 0 && p[len - 1] == '\r')
                    --len;
                const qsizetype key = next.at(p, len);
                if (key > 0 && key + 1 < len && !IniText::isSpace(p[key + 1]) &&
                    !IniText::isSpace(p[len - 1]) && p[key + 1] != '"' && p[key + 1] != '\'') {
                    take(next.field(), next.index(), QByteArrayView(p + key + 1, len - key - 1));
                } else {
                    const void *eq = std::memchr(p, '=', size_t(len));
                    IniText::EntrySpan e;
                    if (IniText::entryOf(p, len, eq ? static_cast<const char *>(eq) - p : -1, e))
                        entry(QByteArrayView(p + e.ka, e.kb - e.ka),
                              QByteArrayView(p + e.va, e.vb - e.va));
                }
                p = nl ? lineEnd + 1 : end;
            }
        } else {
            ini.document().forEachEntry(Protocol::kProtocolDate,
                                        [&](QByteArrayView k, QByteArrayView v) KV_INLINE {
                                            if (inOrder)
                                                entry(k, v);
                                        });
        }
        if (inOrder && cur.index >= 0)
            finish(cur);
        r.lastIndex = inOrder ? cur.index : -1;
    }
    if (!inOrder) {
        r.points.clear();
        r.skipped.clear();
        if (keys)
            keys->resize(keysBefore);
        struct Found {
            int index;
            int field;
            QByteArrayView value;
        };
        std::vector<Found> found;
        ini.document().forEachEntry(Protocol::kProtocolDate,
                                    [&](QByteArrayView k, QByteArrayView v) {
                                        int field = 0, i = 0;
                                        if (pointKeyOf(k, field, i) && i <= r.stopPoint)
                                            found.push_back({i, field, v});
                                    });
        // Duplicates keep their file order: the first counts.
        std::stable_sort(found.begin(), found.end(),
                         [](const Found &a, const Found &b) { return a.index < b.index; });
        Point cur;
        for (const Found &f : found) {
            if (f.index != cur.index) {
                if (cur.index >= 0)
                    finish(cur);
                cur.start(f.index);
            }
            cur.set(f.field, f.value);
        }
        if (cur.index >= 0)
            finish(cur);
        r.lastIndex = cur.index;
    }
    // Only stored points are read: a protocol without points has none, not a
    // default point 0 that nobody recorded. (A protocol without points has no
    // Stop_Point to speak of.)
    if (r.lastIndex < r.stopPoint && (r.lastIndex >= 0 || r.stopPoint > 0) && notes)
        notes->append(QStringLiteral("Stop_Point %1 names points that are not stored; points "
                                     "after %2 are not read.")
                          .arg(r.stopPoint)
                          .arg(r.lastIndex));
    return r;
}

bool isProtocolFile(const IniFile &ini)
{
    return ini.readString(Protocol::kProtocol, kMarking, QStringLiteral("Error")) ==
           QLatin1String("OK");
}

QString damagedText(const QString &path, const QByteArray &key, int lang)
{
    if (lang == 1)
        return QStringLiteral("Значение \"%1\" в протоколе %2 повреждено: ожидается \"#\" и "
                              "четыре цифры на каждый символ. Чтение протокола остановлено.")
            .arg(QString::fromLatin1(key), path);
    return QStringLiteral("The value of \"%1\" in the protocol %2 is damaged: every character "
                          "must be \"#\" and four digits. Reading of the protocol stopped.")
        .arg(QString::fromLatin1(key), path);
}

QString cutNote(const QByteArray &key, int lang)
{
    if (lang == 1)
        return QStringLiteral("Текст \"%1\" длиннее 2047 знаков и прочитан не полностью.")
            .arg(QString::fromLatin1(key));
    return QStringLiteral("The text of \"%1\" is longer than 2047 characters and was cut.")
        .arg(QString::fromLatin1(key));
}

// Decodes one [User_Option] text; false (with the status set) when damaged.
bool readTextKey(const IniFile &ini, const QByteArray &key, int version, const QString &path,
                 int lang, QString &out, ProtocolStatus &st)
{
    bool cut = false;
    const QByteArray raw = ini.readBytes(Protocol::kUserOption, key, QByteArray(), &cut);
    const auto text = decodeProtocolText(raw, version, cut);
    if (!text) {
        st.fault = ProtocolFault::DamagedText;
        st.key = QString::fromLatin1(key);
        st.text = damagedText(path, key, lang);
        return false;
    }
    if (cut)
        st.notes.append(cutNote(key, lang));
    out = *text;
    return true;
}

ProtocolStatus refusal()
{
    ProtocolStatus st;
    st.fault = ProtocolFault::NotProtocol;
    st.text = Protocol::notProtocolMessage();
    return st;
}

ProtocolStatus ioFault(const QString &text)
{
    ProtocolStatus st;
    st.fault = ProtocolFault::Io;
    st.text = text;
    return st;
}

ProtocolStatus badArgument(const QString &text)
{
    ProtocolStatus st;
    st.fault = ProtocolFault::BadArgument;
    st.text = text;
    return st;
}

// A Stop_Point beyond the highest index is damage: no counter could go on from it.
ProtocolStatus damagedStopPoint(const QString &path, qint32 stop, int lang)
{
    ProtocolStatus st;
    st.fault = ProtocolFault::DamagedText;
    st.key = QString::fromLatin1(Protocol::kStopPoint);
    st.text = lang == 1 ? QStringLiteral("Значение \"Stop_Point\" = %1 в протоколе %2 повреждено. "
                                         "Чтение протокола остановлено.")
                              .arg(stop)
                              .arg(path)
                        : QStringLiteral("The value \"Stop_Point\" = %1 in the protocol %2 is "
                                         "damaged. Reading of the protocol stopped.")
                              .arg(stop)
                              .arg(path);
    return st;
}

// A point operation that names no stored point changes nothing.
ProtocolStatus noPoint(int index, int lang)
{
    return badArgument(
        lang == 1
            ? QStringLiteral("В протоколе нет точки %1; протокол не изменён.").arg(index)
            : QStringLiteral("The protocol holds no point %1; it was not changed.").arg(index));
}

void readGeneralFrom(const IniFile &ini, TDateProtokol &data, GeneralData &out, const QString &path,
                     int lang, ProtocolStatus &st)
{
    for (const QByteArray &key : Protocol::generalTextKeys())
        if (!readTextKey(ini, key, data.VersionKVI, path, lang, *out.text(key), st))
            return;
    out.LengthProbe = ini.readString(Protocol::kUserOption, QByteArrayLiteral("LengthProbe"),
                                     QStringLiteral("0"));
    data.LengthProbe = out.LengthProbe;
    out.SN = ini.readInteger(Protocol::kUserOption, QByteArrayLiteral("SN"), 0);
    data.SerialNamProtocol = out.SN;
    out.UpDown2 = ini.readInteger(Protocol::kUserOption, QByteArrayLiteral("UpDown2"), 0);
    out.UpDown3 = ini.readInteger(Protocol::kUserOption, QByteArrayLiteral("UpDown3"), 0);
}

} // namespace

// ---------------------------------------------------------------------------

const std::array<QByteArray, 9> &Protocol::generalTextKeys()
{
    static const std::array<QByteArray, 9> keys = {
        QByteArrayLiteral("CompanyName"),   QByteArrayLiteral("Firma"),
        QByteArrayLiteral("ProizvMashine"), QByteArrayLiteral("TypeMashine"),
        QByteArrayLiteral("NameMashine"),   QByteArrayLiteral("Year"),
        QByteArrayLiteral("NamberMashine"), QByteArrayLiteral("NameUser"),
        QByteArrayLiteral("NambePlomb")};
    return keys;
}

QString Protocol::notProtocolMessage()
{
    return QStringLiteral("Данный протокол не является протоколом тарировки.\rНеобходимо выбрать "
                          "другой протокол.");
}

std::optional<qint32> storedPointInteger(const QByteArray &stored)
{
    return bytesToInt32(stored);
}

std::optional<double> storedPointLitres(const QByteArray &stored)
{
    return bytesToLitres(stored, NumberFormat(QLatin1Char(',')));
}

QString tableLimitNote(qint32 stopPoint, int lang)
{
    if (lang == 1)
        return QStringLiteral("Протокол содержит точки до номера %1. В таблицу тарировки вошли "
                              "только точки 0..10000; остальные остались в файле и в списке "
                              "точек.")
            .arg(stopPoint);
    return QStringLiteral("The protocol holds points up to index %1. Only points 0..10000 entered "
                          "the calibration table; the others stay in the file and in the point "
                          "list.")
        .arg(stopPoint);
}

QString *GeneralData::text(const QByteArray &key)
{
    static const std::array<QString GeneralData::*, 9> fields = {
        &GeneralData::CompanyName,   &GeneralData::Firma,       &GeneralData::ProizvMashine,
        &GeneralData::TypeMashine,   &GeneralData::NameMashine, &GeneralData::Year,
        &GeneralData::NamberMashine, &GeneralData::NameUser,    &GeneralData::NambePlomb};
    const auto &keys = Protocol::generalTextKeys();
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].compare(key, Qt::CaseInsensitive) == 0)
            return &(this->*fields[i]);
    return nullptr;
}

PointKeys PointKeys::make(qint32 time, qint32 filterN, qint32 filterC, const QString &sistemTime,
                          const QString &liter, const QString &tetmo, const QString &status)
{
    return {QString::number(time),
            QString::number(filterN),
            QString::number(filterC),
            sistemTime,
            liter,
            tetmo,
            status};
}

// ---------------------------------------------------------------------------

ProtocolStatus ProtocolReader::load(const QString &path)
{
    m_path = path;
    m_ini = IniFile(path);
    QString err = m_ini.load();
    if (err.isEmpty() && !m_ini.existed())
        err = QStringLiteral("Unable to read %1: the file does not exist").arg(path);
    return err.isEmpty() ? ProtocolStatus() : ioFault(err);
}

bool ProtocolReader::isProtocol() const
{
    return isProtocolFile(m_ini);
}

qint32 ProtocolReader::version() const
{
    return m_ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
}

ProtocolStatus ProtocolReader::text(const QByteArray &key, int version, QString &out) const
{
    ProtocolStatus st;
    readTextKey(m_ini, key, version, m_path, 0, out, st);
    return st;
}

qint32 ProtocolReader::stopPoint() const
{
    return m_ini.readInteger(Protocol::kPoint, Protocol::kStopPoint, 0);
}

PointKeys ProtocolReader::pointKeys(int i, const QString &def) const
{
    PointKeys p;
    QString *fields[] = {&p.Time,  &p.FilterN, &p.FilterC,    &p.Sistem_Time,
                         &p.liter, &p.Tetmo,   &p.Status_Save};
    for (int k = 0; k < 7; ++k)
        *fields[k] = m_ini.readString(Protocol::kProtocolDate, pointKey(k, i), def);
    return p;
}

PointsRead ProtocolReader::points(QStringList *notes,
                                  std::vector<std::pair<int, PointKeys>> *keys,
                                  const QString &def) const
{
    return readPointsFrom(m_ini, notes, keys, def);
}

// ---------------------------------------------------------------------------

ProtocolStatus ProtocolFile::loadFor(IniFile &ini, bool forWrite) const
{
    QString err = ini.load();
    // A protocol that went away (deleted, its stick pulled) is a failure to
    // reach the file, not a file that is no protocol.
    if (err.isEmpty() && !ini.existed())
        err = QStringLiteral("Unable to read %1: the file does not exist").arg(m_path);
    if (!err.isEmpty())
        return ioFault(forWrite ? IniFile::writeErrorText(m_path) + QStringLiteral(": ") + err
                                : err);
    if (forWrite && !isProtocolFile(ini))
        return refusal();
    return ProtocolStatus();
}

ProtocolStatus ProtocolFile::commit(IniFile &ini) const
{
    const QString err = ini.commit();
    return err.isEmpty() ? ProtocolStatus() : ioFault(err);
}

ProtocolStatus ProtocolFile::create(TDateProtokol &data)
{
    // A new protocol starts from an empty file: nothing of a file that stood
    // under the name carries over (the caller has asked before replacing one).
    IniFile ini(m_path);
    ini.clear();
    ini.writeString(Protocol::kProtocol, kMarking, QStringLiteral("OK"));
    ini.writeInteger(Protocol::kProtocol, kVersionKey, Protocol::kVersion);
    ProtocolStatus st = commit(ini);
    if (!st.ok())
        return st;
    data.VersionKVI = Protocol::kVersion;
    data.clearTable();
    return st;
}

ProtocolStatus ProtocolFile::recognise(TDateProtokol &data)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, false);
    if (!st.ok())
        return st;
    // A refused file leaves the open protocol's Version as it was.
    if (!isProtocolFile(ini))
        return refusal();
    data.VersionKVI = ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
    return st;
}

ProtocolStatus ProtocolFile::readGeneralData(TDateProtokol &data, GeneralData &out)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, false);
    if (!st.ok())
        return st;
    if (!isProtocolFile(ini))
        return refusal();
    data.VersionKVI = ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
    readGeneralFrom(ini, data, out, m_path, m_lang, st);
    return st;
}

ProtocolStatus ProtocolFile::readPoints(PointsRead &out)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, false);
    if (!st.ok())
        return st;
    if (!isProtocolFile(ini))
        return refusal();
    if (const qint32 stop = stopPointOf(ini); stop > Protocol::kHighestIndex)
        return damagedStopPoint(m_path, stop, m_lang);
    out = readPointsFrom(ini, &st.notes);
    return st;
}

ProtocolStatus ProtocolFile::open(TDateProtokol &data, GeneralData &general, PointsRead &points)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, false);
    if (!st.ok())
        return st;
    if (!isProtocolFile(ini))
        return refusal();
    if (const qint32 stop = stopPointOf(ini); stop > Protocol::kHighestIndex)
        return damagedStopPoint(m_path, stop, m_lang);
    // Built aside and taken over whole: a file that fails half-way (a damaged
    // text) leaves the record of the protocol that is open as it was.
    auto fresh = std::make_unique<TDateProtokol>(data);
    fresh->VersionKVI = ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
    fresh->clearTable();
    readGeneralFrom(ini, *fresh, general, m_path, m_lang, st);
    if (!st.ok())
        return st;
    points = readPointsFrom(ini, &st.notes);
    for (const StoredPoint &p : points.points) {
        if (!p.isUserSave())
            continue;
        fresh->UserPoints.push_back({p.index, p.FilterN, p.liter});
        if (p.index > Protocol::kTableLast)
            continue;
        fresh->DateOfCalibrate[size_t(p.index)] = p.FilterN;
        fresh->LevelOfCalibrate[size_t(p.index)] = p.liter;
    }
    if (points.lastIndex > Protocol::kTableLast)
        st.notes.append(tableLimitNote(points.stopPoint, m_lang));
    data = std::move(*fresh);
    return st;
}

ProtocolStatus ProtocolFile::readPoint(int i, const QString &def, PointKeys &out)
{
    ProtocolReader r;
    ProtocolStatus st = r.load(m_path);
    if (st.ok())
        out = r.pointKeys(i, def);
    return st;
}

ProtocolStatus ProtocolFile::readText(const QByteArray &key, QString &out)
{
    ProtocolReader r;
    ProtocolStatus st = r.load(m_path);
    if (!st.ok())
        return st;
    st = r.text(key, r.version(), out);
    if (st.fault == ProtocolFault::DamagedText)
        st.text = damagedText(m_path, key, m_lang);
    return st;
}

ProtocolStatus ProtocolFile::writePoints(const std::vector<std::pair<int, PointKeys>> &points)
{
    for (const auto &p : points)
        if (p.first < 0 || p.first > Protocol::kHighestIndex)
            return badArgument(
                m_lang == 1
                    ? QStringLiteral("Точку %1 нельзя записать в протокол: номер вне допустимых "
                                     "пределов 0..%2.")
                          .arg(p.first)
                          .arg(Protocol::kHighestIndex)
                    : QStringLiteral("Point %1 cannot be written to the protocol: the index is "
                                     "outside 0..%2.")
                          .arg(p.first)
                          .arg(Protocol::kHighestIndex));
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, true);
    if (!st.ok())
        return st;
    for (const auto &[i, k] : points) {
        const QString *fields[] = {&k.Time,  &k.FilterN, &k.FilterC,    &k.Sistem_Time,
                                   &k.liter, &k.Tetmo,   &k.Status_Save};
        for (int f = 0; f < 7; ++f)
            ini.writeString(Protocol::kProtocolDate, pointKey(f, i), *fields[f]);
        ini.writeInteger(Protocol::kPoint, Protocol::kStopPoint, i);
    }
    return commit(ini);
}

ProtocolStatus ProtocolFile::writeGeneralData(const std::vector<UserOptionValue> &values,
                                              bool writeVersion, TDateProtokol *data)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, true);
    if (!st.ok())
        return st;
    QStringList notes;
    if (writeVersion) {
        // An old protocol raised to Version 100: its encoded texts stored in the
        // old form are written again in the new one, so that none of them (the
        // probe variant above all, which this write may not touch) becomes
        // unreadable under the new Version.
        const qint32 before = ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
        if (before < Protocol::kVersion) {
            QList<QByteArray> keys(Protocol::generalTextKeys().begin(),
                                   Protocol::generalTextKeys().end());
            keys << QByteArrayLiteral("Flesh") << QByteArrayLiteral("TypeProbe");
            for (const QByteArray &key : keys) {
                if (!ini.hasKey(Protocol::kUserOption, key))
                    continue;
                QString text;
                ProtocolStatus read;
                if (readTextKey(ini, key, before, m_path, m_lang, text, read))
                    ini.writeBytes(Protocol::kUserOption, key, encodeProtocolText(text));
            }
        }
        ini.writeInteger(Protocol::kProtocol, kVersionKey, Protocol::kVersion);
    }
    for (const UserOptionValue &v : values) {
        switch (v.kind) {
        case UserOptionValue::Kind::EncodedText: {
            QString replaced;
            ini.writeBytes(Protocol::kUserOption, v.key, encodeProtocolText(v.text, &replaced));
            if (!replaced.isEmpty())
                notes.append(unencodableMessage(replaced, m_lang) +
                             QStringLiteral(" (\"%1\": \"?\")").arg(QString::fromLatin1(v.key)));
            break;
        }
        case UserOptionValue::Kind::PlainText:
            ini.writeString(Protocol::kUserOption, v.key, v.text);
            break;
        case UserOptionValue::Kind::Integer:
            ini.writeInteger(Protocol::kUserOption, v.key, v.number);
            break;
        }
    }
    st = commit(ini);
    if (st.ok() && writeVersion && data)
        data->VersionKVI = Protocol::kVersion;
    st.notes = notes;
    return st;
}

ProtocolStatus ProtocolFile::deletePoint(int s)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, true);
    if (!st.ok())
        return st;
    const qint32 stop = stopPointOf(ini);
    const std::vector<int> stored = storedIndices(ini, stop);
    if (s < 0 || !isStored(stored, s))
        return noPoint(s, m_lang);
    // Every stored point after s moves down by one with its seven keys; an
    // index whose successor is not stored ends up empty.
    for (auto it = std::upper_bound(stored.begin(), stored.end(), s); it != stored.end(); ++it) {
        const int j = *it;
        for (int f = 0; f < 7; ++f) {
            const QByteArray from = pointKey(f, j);
            const QByteArray to = pointKey(f, j - 1);
            // An absent key stays absent, so it reads with its default as before.
            if (ini.hasKey(Protocol::kProtocolDate, from))
                ini.writeBytes(Protocol::kProtocolDate, to,
                               ini.readBytes(Protocol::kProtocolDate, from, QByteArray()));
            else
                ini.deleteKey(Protocol::kProtocolDate, to);
        }
    }
    for (auto it = std::lower_bound(stored.begin(), stored.end(), s); it != stored.end(); ++it)
        if (!isStored(stored, *it + 1))
            for (int f = 0; f < 7; ++f)
                ini.deleteKey(Protocol::kProtocolDate, pointKey(f, *it));
    ini.writeInteger(Protocol::kPoint, Protocol::kStopPoint, qint64(stop) - 1);
    return commit(ini);
}

ProtocolStatus ProtocolFile::setLitres(int index, double litres)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, true);
    if (!st.ok())
        return st;
    if (index < 0 || !isStored(storedIndices(ini, stopPointOf(ini)), index))
        return noPoint(index, m_lang);
    ini.writeFloat(Protocol::kProtocolDate, pointKey(4, index), litres);
    return commit(ini);
}

ProtocolStatus ProtocolFile::addLitres(int from, double delta)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, true);
    if (!st.ok())
        return st;
    const std::vector<int> stored = storedIndices(ini, stopPointOf(ini));
    // From a point that is not stored nothing changes (not the points after it either).
    if (from < 0 || !isStored(stored, from))
        return noPoint(from, m_lang);
    for (auto it = std::lower_bound(stored.begin(), stored.end(), from); it != stored.end(); ++it) {
        const QByteArray key = pointKey(4, *it);
        const double v = ini.readFloat(Protocol::kProtocolDate, key, -1);
        if (v != -1)
            ini.writeFloat(Protocol::kProtocolDate, key, v + delta);
    }
    return commit(ini);
}
