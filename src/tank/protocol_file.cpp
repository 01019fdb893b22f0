#include "tank/protocol_file.h"

#include "common/numfmt.h"
#include "tank/protocol_codec.h"

#include <algorithm>
#include <limits>

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

// The same keys in lower case, so lookups need no folding copy.
const std::array<QByteArray, 7> kPointKeysLower = [] {
    std::array<QByteArray, 7> a;
    for (size_t k = 0; k < a.size(); ++k)
        a[k] = kPointKeys[k].toLower();
    return a;
}();

QByteArray lowerPointKey(int which, int i)
{
    return kPointKeysLower[size_t(which)] + QByteArray::number(i);
}

// The point index that a [Protocol_Date] key names, or -1. Only the canonical
// decimal form counts ("Time7", not "Time07"), as only that is ever looked up.
int indexOfPointKey(const QByteArray &key)
{
    for (const QByteArray &name : kPointKeys) {
        const qsizetype p = name.size();
        if (key.size() <= p || (key[0] | 0x20) != (name[0] | 0x20) ||
            qstrnicmp(key.constData(), name.constData(), p) != 0)
            continue;
        const qsizetype digits = key.size() - p;
        if (digits > 10 || (digits > 1 && key[p] == '0'))
            continue;
        qint64 v = 0;
        bool allDigits = true;
        for (qsizetype i = p; i < key.size() && allDigits; ++i) {
            allDigits = key[i] >= '0' && key[i] <= '9';
            v = v * 10 + (key[i] - '0');
        }
        if (allDigits && v <= std::numeric_limits<int>::max())
            return int(v);
    }
    return -1;
}

// The last index that reading the points visits. Stop_Point may name points
// that are not stored (a damaged or foreign file: -1, 2^31-1); those would
// all read as default points at time 0, and reading two billion of them would
// hang the program. The loop therefore ends at the last stored point (at least
// point 0, which a protocol without points reads with its defaults). Gap-free
// files, as the program writes them, are never cut.
int lastIndexToRead(const IniFile &ini, qint32 stopPoint, QStringList *notes)
{
    if (stopPoint < 0)
        return -1;
    const IniDocument &doc = ini.document();
    // A stored index beyond the number of stored keys means gaps; such an index
    // never lets the loop run past what the file could hold.
    const qint64 cap = std::min<qint64>(stopPoint, doc.entryCount(Protocol::kProtocolDate) - 1);
    int highest = 0;
    doc.forEachKey(Protocol::kProtocolDate, [&](const QByteArray &k) {
        const int i = indexOfPointKey(k);
        if (i <= cap)
            highest = std::max(highest, i);
    });
    const int last = std::min<qint64>(stopPoint, highest);
    if (last < stopPoint && notes)
        notes->append(QStringLiteral("Stop_Point %1 names points that are not stored; points "
                                     "after %2 are not read.")
                          .arg(stopPoint)
                          .arg(last));
    return last;
}

// A decimal integer of 32 bits with blanks around it, read from the stored
// bytes directly: the opening converts 20,000 of them.
std::optional<qint32> bytesToInt32(const QByteArray &v)
{
    const QByteArray t = v.trimmed();
    qsizetype i = 0;
    const bool neg = !t.isEmpty() && t[0] == '-';
    if (!t.isEmpty() && (t[0] == '-' || t[0] == '+'))
        ++i;
    if (i == t.size() || t.size() - i > 11)
        return std::nullopt;
    qint64 n = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return std::nullopt;
        n = n * 10 + (t[i] - '0');
    }
    n = neg ? -n : n;
    if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(n);
}

// Litres: the two forms the program writes ("0012,50", "12,5") directly, any
// other text through the general decimal parser.
std::optional<double> bytesToLitres(const QByteArray &v, const NumberFormat &nf)
{
    const QByteArray t = v.trimmed();
    qsizetype i = (!t.isEmpty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    const qsizetype digitsFrom = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9')
        ++i;
    const qsizetype intDigits = i - digitsFrom;
    qsizetype fracDigits = 0;
    if (i < t.size() && t[i] == ',') {
        ++i;
        const qsizetype f = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i;
        fracDigits = i - f;
    }
    if (i == t.size() && intDigits > 0 && intDigits + fracDigits <= 15) {
        QByteArray dot = t;
        const qsizetype comma = dot.indexOf(',');
        if (comma >= 0)
            dot[comma] = '.';
        bool ok = false;
        const double d = dot.toDouble(&ok);
        if (ok)
            return d;
    }
    return nf.parse(QString::fromLatin1(t));
}

PointsRead readPointsFrom(const IniFile &ini, QStringList *notes)
{
    PointsRead r;
    r.stopPoint = ini.readInteger(Protocol::kPoint, Protocol::kStopPoint, 0);
    r.lastIndex = lastIndexToRead(ini, r.stopPoint, notes);
    const NumberFormat nf(QLatin1Char(','));
    const QByteArray zero("0");
    const QByteArray autoSave = Protocol::kAutoSave.toLatin1();
    const QByteArray userSave = Protocol::kUserSave.toLatin1();
    const QString userSaveText = Protocol::kUserSave;
    const QByteArray &sec = Protocol::kProtocolDate;
    if (r.lastIndex >= 0)
        r.points.reserve(size_t(r.lastIndex) + 1);
    for (int i = 0; i <= r.lastIndex; ++i) {
        const auto time = bytesToInt32(ini.readBytes(sec, lowerPointKey(0, i), zero));
        const auto n = bytesToInt32(ini.readBytes(sec, lowerPointKey(1, i), zero));
        const QByteArray status = ini.readBytes(sec, lowerPointKey(6, i), autoSave);
        const auto litres = bytesToLitres(ini.readBytes(sec, lowerPointKey(4, i), zero), nf);
        if (!time || !n || !litres) {
            r.skipped.push_back(i);
            continue;
        }
        r.points.push_back({i, *time, *n, *litres,
                            status == userSave ? userSaveText : QString::fromLatin1(status)});
    }
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
    const QString err = m_ini.load();
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

PointsRead ProtocolReader::points(QStringList *notes) const
{
    return readPointsFrom(m_ini, notes);
}

// ---------------------------------------------------------------------------

ProtocolStatus ProtocolFile::loadFor(IniFile &ini, bool forWrite) const
{
    const QString err = ini.load();
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
    IniFile ini(m_path);
    const QString err = ini.load();
    // An existing file that cannot be read must not be replaced by an empty one.
    if (!err.isEmpty())
        return ioFault(IniFile::writeErrorText(m_path) + QStringLiteral(": ") + err);
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
    data.VersionKVI = ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
    return isProtocolFile(ini) ? st : refusal();
}

ProtocolStatus ProtocolFile::readGeneralData(TDateProtokol &data, GeneralData &out)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, false);
    if (!st.ok())
        return st;
    data.VersionKVI = ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
    if (!isProtocolFile(ini))
        return refusal();
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
    out = readPointsFrom(ini, &st.notes);
    return st;
}

ProtocolStatus ProtocolFile::open(TDateProtokol &data, GeneralData &general, PointsRead &points)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, false);
    if (!st.ok())
        return st;
    data.VersionKVI = ini.readInteger(Protocol::kProtocol, kVersionKey, 0);
    if (!isProtocolFile(ini))
        return refusal();
    data.clearTable();
    readGeneralFrom(ini, data, general, m_path, m_lang, st);
    if (!st.ok())
        return st;
    points = readPointsFrom(ini, &st.notes);
    for (const StoredPoint &p : points.points) {
        if (!p.isUserSave())
            continue;
        data.UserPoints.push_back({p.index, p.FilterN, p.liter});
        if (p.index > Protocol::kTableLast)
            continue;
        data.DateOfCalibrate[size_t(p.index)] = p.FilterN;
        data.LevelOfCalibrate[size_t(p.index)] = p.liter;
    }
    if (points.lastIndex > Protocol::kTableLast)
        st.notes.append(tableLimitNote(points.stopPoint, m_lang));
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
        if (p.first < 0)
            return badArgument(
                QStringLiteral("A point index cannot be negative (%1).").arg(p.first));
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
    if (writeVersion)
        ini.writeInteger(Protocol::kProtocol, kVersionKey, Protocol::kVersion);
    QStringList notes;
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
    const qint32 stop = ini.readInteger(Protocol::kPoint, Protocol::kStopPoint, 0);
    const int last = lastIndexToRead(ini, stop, nullptr);
    if (s < 0 || s > last)
        return badArgument(QStringLiteral("There is no point %1 to delete.").arg(s));
    for (int j = s + 1; j <= last; ++j) {
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
    for (int f = 0; f < 7; ++f)
        ini.deleteKey(Protocol::kProtocolDate, pointKey(f, last));
    ini.writeInteger(Protocol::kPoint, Protocol::kStopPoint, qint64(last) - 1);
    return commit(ini);
}

ProtocolStatus ProtocolFile::setLitres(int index, double litres)
{
    if (index < 0)
        return badArgument(QStringLiteral("A point index cannot be negative (%1).").arg(index));
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, true);
    if (!st.ok())
        return st;
    ini.writeFloat(Protocol::kProtocolDate, pointKey(4, index), litres);
    return commit(ini);
}

ProtocolStatus ProtocolFile::addLitres(int from, double delta)
{
    IniFile ini(m_path);
    ProtocolStatus st = loadFor(ini, true);
    if (!st.ok())
        return st;
    const qint32 stop = ini.readInteger(Protocol::kPoint, Protocol::kStopPoint, 0);
    const int last = lastIndexToRead(ini, stop, nullptr);
    for (int m = std::max(0, from); m <= last; ++m) {
        const QByteArray key = pointKey(4, m);
        const double v = ini.readFloat(Protocol::kProtocolDate, key, -1);
        if (v != -1)
            ini.writeFloat(Protocol::kProtocolDate, key, v + delta);
    }
    return commit(ini);
}
