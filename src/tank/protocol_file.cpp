// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/protocol_file.h"

#include "common/numfmt.h"
#include "tank/protocol_codec.h"

#include <algorithm>
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

// The field (its place in kPointKeys) and the point index that a
// [Protocol_Date] key names; false for any other key. Only the canonical
// decimal form counts ("Time7", not "Time07"), as only that is ever written.
bool pointKeyOf(QByteArrayView key, int &field, int &index)
{
    qsizetype p = 0;
    while (p < key.size() && !(key[p] >= '0' && key[p] <= '9'))
        ++p;
    const qsizetype digits = key.size() - p;
    if (p == 0 || digits == 0 || digits > 10 || (digits > 1 && key[p] == '0'))
        return false;
    qint64 v = 0;
    for (qsizetype i = p; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9')
            return false;
        v = v * 10 + (key[i] - '0');
    }
    if (v > std::numeric_limits<int>::max())
        return false;
    // The names are letters and "_": folding bit 5 compares them without case.
    for (size_t f = 0; f < kPointKeys.size(); ++f) {
        const QByteArray &name = kPointKeys[f];
        if (name.size() != p)
            continue;
        qsizetype i = 0;
        while (i < p && (key[i] | 0x20) == (name[i] | 0x20))
            ++i;
        if (i == p) {
            field = int(f);
            index = int(v);
            return true;
        }
    }
    return false;
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
std::optional<qint32> bytesToInt32(QByteArrayView v)
{
    const QByteArrayView t = v.trimmed();
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
std::optional<double> bytesToLitres(QByteArrayView v, const NumberFormat &nf)
{
    const QByteArrayView t = v.trimmed();
    qsizetype i = (!t.isEmpty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    const qsizetype digitsFrom = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9')
        ++i;
    const qsizetype intDigits = i - digitsFrom;
    qsizetype fracDigits = 0;
    qsizetype comma = -1;
    if (i < t.size() && t[i] == ',') {
        comma = i++;
        const qsizetype f = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i;
        fracDigits = i - f;
    }
    if (i == t.size() && intDigits > 0 && intDigits + fracDigits <= 15) {
        // Up to 15 digits are exact in a double, and so is 10^fracDigits: the
        // one division rounds as a decimal conversion of the text does.
        static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        qint64 m = 0;
        for (qsizetype k = digitsFrom; k < t.size(); ++k)
            if (k != comma)
                m = m * 10 + (t[k] - '0');
        const double d = double(m) / kTens[fracDigits];
        return t[0] == '-' ? -d : d;
    }
    return nf.parse(QString::fromLatin1(t));
}

PointsRead readPointsFrom(const IniFile &ini, QStringList *notes)
{
    PointsRead r;
    r.stopPoint = stopPointOf(ini);
    // One pass over [Protocol_Date] collects every point key up to Stop_Point
    // with its value; nothing is looked up key by key.
    struct Found {
        int index;
        int field;
        QByteArrayView value;
    };
    std::vector<Found> found;
    if (r.stopPoint >= 0) {
        ini.document().forEachEntry(Protocol::kProtocolDate,
                                    [&](QByteArrayView k, QByteArrayView v) {
                                        int field = 0, i = 0;
                                        if (pointKeyOf(k, field, i) && i <= r.stopPoint)
                                            found.push_back({i, field, v});
                                    });
    }
    // The program writes the points in ascending index; a file put together
    // otherwise is sorted, keeping duplicates in file order (the first counts).
    const auto byIndex = [](const Found &a, const Found &b) { return a.index < b.index; };
    if (!std::is_sorted(found.begin(), found.end(), byIndex))
        std::stable_sort(found.begin(), found.end(), byIndex);

    // Only stored points are read: a protocol without points has none, not a
    // default point 0 that nobody recorded.
    std::vector<int> visit;
    for (const Found &f : found)
        if (visit.empty() || visit.back() != f.index)
            visit.push_back(f.index);
    r.lastIndex = visit.empty() ? -1 : visit.back();
    // (A protocol without points has no Stop_Point to speak of.)
    if (r.lastIndex < r.stopPoint && (r.lastIndex >= 0 || r.stopPoint > 0) && notes)
        notes->append(QStringLiteral("Stop_Point %1 names points that are not stored; points "
                                     "after %2 are not read.")
                          .arg(r.stopPoint)
                          .arg(r.lastIndex));
    const NumberFormat nf(QLatin1Char(','));
    const QByteArray userSave = Protocol::kUserSave.toLatin1();
    const QByteArray autoSave = Protocol::kAutoSave.toLatin1();
    r.points.reserve(visit.size());
    auto next = found.cbegin();
    for (const int i : visit) {
        // The seven keys of point i as a read gives them: the first of
        // duplicates, at most kIniMaxValueLength bytes, else the default.
        std::array<QByteArrayView, 7> value = {"0", "0", "0", "0", "0", "0", autoSave};
        std::array<bool, 7> have{};
        for (; next != found.cend() && next->index == i; ++next) {
            if (have[size_t(next->field)])
                continue;
            have[size_t(next->field)] = true;
            value[size_t(next->field)] =
                next->value.first(std::min<qsizetype>(next->value.size(), kIniMaxValueLength));
        }
        const auto time = bytesToInt32(value[0]);
        const auto n = bytesToInt32(value[1]);
        const auto litres = bytesToLitres(value[4], nf);
        if (!time || !n || !litres) {
            r.skipped.push_back(i);
            continue;
        }
        const QByteArrayView status = value[6];
        r.points.push_back({i, *time, *n, *litres,
                            status == userSave   ? Protocol::kUserSave
                            : status == autoSave ? Protocol::kAutoSave
                                                 : QString::fromLatin1(status)});
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

PointsRead ProtocolReader::points(QStringList *notes) const
{
    return readPointsFrom(m_ini, notes);
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
