// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The calibration protocol file (".kvi") and the in-memory calibration table.
//
// Every operation loads the file, does its reads and writes in the protocol's
// order and, when it wrote anything, replaces the file in one crash-safe commit;
// the file is never held open between operations. Operations that write refuse
// a file that is not a calibration protocol and leave it untouched.

#include "tank/ini_file.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace Protocol {
inline const QByteArray kProtocol = QByteArrayLiteral("Protocol");
inline const QByteArray kUserOption = QByteArrayLiteral("User_Option");
inline const QByteArray kPoint = QByteArrayLiteral("Point");
inline const QByteArray kProtocolDate = QByteArrayLiteral("Protocol_Date");
inline const QByteArray kStopPoint = QByteArrayLiteral("Stop_Point");

/// The version this program writes; below it the texts are Windows-1251.
constexpr int kVersion = 100;
/// Highest point index the calibration table holds.
constexpr int kTableLast = 10000;
/// Highest point index a protocol may hold: the counter behind it and a level
/// step's second point still fit 32 bits.
constexpr qint32 kHighestIndex = 2147483647 - 2;

inline const QString kUserSave = QStringLiteral("User Save");
inline const QString kAutoSave = QStringLiteral("Auto Save");
inline const QString kSaveBeforeExit = QStringLiteral("Save Before Exit");

/// The nine encoded keys of the general data, in reading order.
const std::array<QByteArray, 9> &generalTextKeys();

/// The refusal of a file that is not a calibration protocol (the same Russian
/// text in both interface languages).
QString notProtocolMessage();
} // namespace Protocol

/// One user-saved point of the open protocol.
struct UserPoint {
    int index = 0;
    qint32 n = 0;
    double litres = 0;
};

/// What the program keeps of the open protocol (the program owns one, ProtocolData).
struct TDateProtokol {
    QString LengthProbe = QStringLiteral("0");
    qint32 SerialNamProtocol = 0;
    /// Level code N of the user-saved point at each index, 0 elsewhere; 10001 is a spare, always 0.
    std::array<qint32, Protocol::kTableLast + 2> DateOfCalibrate{};
    /// Litres of the user-saved point at each index. Opening overwrites only the
    /// indices of user points, so other entries may still hold an earlier protocol's litres.
    std::array<double, Protocol::kTableLast + 1> LevelOfCalibrate{};
    qint32 VersionKVI = 0;
    /// The user-saved points of the open protocol in ascending index, all of them
    /// (also beyond the table's last index): the clean source for interpolation
    /// and exports, free of the table's stale entries.
    std::vector<UserPoint> UserPoints;

    void clearTable()
    {
        DateOfCalibrate.fill(0);
        UserPoints.clear();
    }
};

enum class ProtocolFault {
    None,
    NotProtocol, ///< "Marking" is not "OK"
    DamagedText, ///< an encoded value is not "#" and four digits per character
    Io,          ///< the file cannot be read or written
    BadArgument, ///< the caller asked for something the file cannot hold
};

/// The outcome of one operation: a fault with its text (and the key for a
/// damaged value), plus notes that the window shows once but that do not stop it.
struct ProtocolStatus {
    ProtocolFault fault = ProtocolFault::None;
    QString key;
    QString text;
    QStringList notes;
    bool ok() const { return fault == ProtocolFault::None; }
};

/// The general data as the opening reads it.
struct GeneralData {
    QString CompanyName, Firma, ProizvMashine, TypeMashine, NameMashine, Year, NamberMashine,
        NameUser, NambePlomb;
    QString LengthProbe = QStringLiteral("0");
    qint32 SN = 0;
    qint32 UpDown2 = 0;
    qint32 UpDown3 = 0;

    QString *text(const QByteArray &key);
};

/// A usable point as reading the points gives it.
struct StoredPoint {
    int index = 0;
    qint32 Time = 0;
    qint32 FilterN = 0;
    double liter = 0;
    QString Status_Save;
    bool isUserSave() const { return Status_Save == Protocol::kUserSave; }
};

struct PointsRead {
    qint32 stopPoint = 0; ///< "Stop_Point" as stored (0 when absent)
    int lastIndex = -1;   ///< last index read (below stopPoint when that names absent points)
    /// Reading visits the indices up to stopPoint of which a key is stored; the
    /// indices of a gap (and a point 0 of a protocol without points) are not
    /// invented as default points.
    std::vector<StoredPoint> points; ///< usable points, ascending index
    std::vector<int> skipped;        ///< indices whose Time, FilterN or liter did not convert

    /// The index behind the last stored point (0 when none is stored): where a
    /// point goes without replacing anything stored.
    qint32 nextIndex() const
    {
        const int last = std::max(lastIndex, points.empty() ? -1 : points.back().index);
        return last < 0 ? 0 : std::max(stopPoint, qint32(last)) + 1;
    }
};

/// The seven keys of one point as stored text.
struct PointKeys {
    QString Time, FilterN, FilterC, Sistem_Time, liter, Tetmo, Status_Save;

    /// A point as recording writes it (litres as the 7-character field text "0012,50").
    static PointKeys make(qint32 time, qint32 filterN, qint32 filterC, const QString &sistemTime,
                          const QString &liter, const QString &tetmo, const QString &status);
};

/// One key of [User_Option] to write.
struct UserOptionValue {
    enum class Kind { EncodedText, PlainText, Integer };
    QByteArray key;
    Kind kind = Kind::EncodedText;
    QString text;
    qint64 number = 0;

    static UserOptionValue encoded(QByteArray key, QString text)
    {
        return {std::move(key), Kind::EncodedText, std::move(text), 0};
    }
    static UserOptionValue plain(QByteArray key, QString text)
    {
        return {std::move(key), Kind::PlainText, std::move(text), 0};
    }
    static UserOptionValue integer(QByteArray key, qint64 n)
    {
        return {std::move(key), Kind::Integer, QString(), n};
    }
};

/// A read-only look at a protocol loaded once (exports, properties, kvtool).
class ProtocolReader {
public:
    /// Loads the file; the status says why not (an unreadable file).
    [[nodiscard]] ProtocolStatus load(const QString &path);
    const IniFile &ini() const { return m_ini; }

    bool isProtocol() const;
    qint32 version() const;
    /// A [User_Option] text decoded by `version`; empty when absent. A damaged
    /// value gives the DamagedText status naming the key.
    [[nodiscard]] ProtocolStatus text(const QByteArray &key, int version, QString &out) const;
    qint32 stopPoint() const;
    /// The seven keys of point i, each `def` when absent.
    PointKeys pointKeys(int i, const QString &def) const;
    /// The points 0..Stop_Point with the usability rules (see ProtocolFile::readPoints).
    /// With `keys`, in the same pass, the seven keys of every index the reading
    /// visits (usable or skipped, ascending) as pointKeys(index, def) gives them.
    PointsRead points(QStringList *notes = nullptr,
                      std::vector<std::pair<int, PointKeys>> *keys = nullptr,
                      const QString &def = QString()) const;

private:
    IniFile m_ini{QString()};
    QString m_path;
};

/// The operations on one protocol file. `lang` selects the language of the
/// program's own notes (1 Russian, 0 English).
class ProtocolFile {
public:
    explicit ProtocolFile(QString path, int lang = 1) : m_path(std::move(path)), m_lang(lang) {}
    const QString &path() const { return m_path; }

    /// Writes a new file holding [Protocol] Marking=OK, Version=100 and nothing
    /// else (an existing file's content is dropped); VersionKVI = 100, table cleared.
    [[nodiscard]] ProtocolStatus create(TDateProtokol &data);
    /// Refuses anything whose Marking is not "OK" (VersionKVI untouched), else
    /// reads Version into VersionKVI.
    [[nodiscard]] ProtocolStatus recognise(TDateProtokol &data);
    /// Recognises, then reads the nine texts, LengthProbe, SN, UpDown2, UpDown3.
    /// A damaged text stops the reading at its key; what was read before stays.
    [[nodiscard]] ProtocolStatus readGeneralData(TDateProtokol &data, GeneralData &out);
    /// Reads the stored points 0..Stop_Point (the pause reload); nothing of the table changes.
    [[nodiscard]] ProtocolStatus readPoints(PointsRead &out);
    /// The whole opening in one read: recognise, clear DateOfCalibrate, general
    /// data, points, and the table from the usable "User Save" points (indices
    /// beyond 10000 stay out of the table, with one note). `data` changes only
    /// when the whole file was read: a refused or damaged file leaves it as it was.
    [[nodiscard]] ProtocolStatus open(TDateProtokol &data, GeneralData &general,
                                      PointsRead &points);
    /// Reads the seven keys of point i, each `def` when absent (properties, deletion message).
    [[nodiscard]] ProtocolStatus readPoint(int i, const QString &def, PointKeys &out);
    /// A [User_Option] text decoded by the file's Version ("Flesh", "TypeProbe" ...).
    [[nodiscard]] ProtocolStatus readText(const QByteArray &key, QString &out);

    /// Writes the points in order, each as its seven keys then "Stop_Point" = its
    /// index, all in one commit (Rec: one point; a level step or Stop: two).
    [[nodiscard]] ProtocolStatus writePoints(const std::vector<std::pair<int, PointKeys>> &points);
    [[nodiscard]] ProtocolStatus writePoint(int index, const PointKeys &point)
    {
        return writePoints({{index, point}});
    }
    /// Writes the keys of [User_Option] in the order given; with `writeVersion`
    /// first [Protocol] Version = 100 (and VersionKVI = 100 when `data` is given).
    /// Characters that the encoding cannot hold are stored as "?" and named in a note.
    [[nodiscard]] ProtocolStatus writeGeneralData(const std::vector<UserOptionValue> &values,
                                                  bool writeVersion, TDateProtokol *data = nullptr);
    /// Deletes the stored point s: the later points move down by one with all
    /// seven keys, the keys of the last index go, Stop_Point becomes one less.
    /// A point that is not stored (or beyond Stop_Point) changes nothing.
    [[nodiscard]] ProtocolStatus deletePoint(int s);
    /// Rewrites "liter" + i of a stored point in the general decimal form (12,5);
    /// an index where no point is stored changes nothing (BadArgument).
    [[nodiscard]] ProtocolStatus setLitres(int index, double litres);
    /// Adds `delta` to "liter" + m of every stored point m = from .. Stop_Point
    /// whose litres convert; a `from` where no point is stored changes nothing
    /// (BadArgument).
    [[nodiscard]] ProtocolStatus addLitres(int from, double delta);

private:
    ProtocolStatus loadFor(IniFile &ini, bool forWrite) const;
    ProtocolStatus commit(IniFile &ini) const;

    QString m_path;
    int m_lang;
};

/// The conversions reading the points applies to a stored integer key (Time,
/// FilterN: 32 bits, decimal, blanks around it allowed) and to stored litres
/// (a decimal with the comma); nullopt when the text does not convert.
std::optional<qint32> storedPointInteger(const QByteArray &stored);
std::optional<double> storedPointLitres(const QByteArray &stored);

/// The Stop_Point note: points beyond the table's last index stay out of it.
QString tableLimitNote(qint32 stopPoint, int lang);
