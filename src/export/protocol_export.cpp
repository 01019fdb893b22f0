// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/protocol_export.h"

#include "tank/table_check.h"

#include "common/cp1251.h"
#include "common/lang_ids.h"
#include "common/numfmt.h"
#include "shell/lang_table.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QByteArray kFlesh = QByteArrayLiteral("Flesh");
const QByteArray kTypeProbe = QByteArrayLiteral("TypeProbe");

// The texts of the report's job lines.
const QList<QByteArray> &reportTextKeys()
{
    static const QList<QByteArray> keys = {"CompanyName", "ProizvMashine", "NamberMashine",
                                           "NameUser", "Firma"};
    return keys;
}

// LangTable indices of the spreadsheet's labels and headers.
namespace Sheet {
constexpr int CompanyName = 90, Representative = 92, Manufacturer = 96, Type = 98, Model = 100,
              Registration = 102, Year = 104, Volume = 108, Height = 110, SealNumber = 116,
              FullName = 118, ProbeVariant = 64, Coarse = 74, Fine = 76, LengthProbe = 358,
              TimeS = 130, SystemTime = 270, Temperature = 22, VolumeL = 414, NValue = 416,
              CodeCapacitance = 490, StartOfScale = 506, EndOfScale = 508, TypeOfProbe = 542,
              ZeroLength = 544, Permix = 558, MeasuredC = 584;
}

// A stored value that is a whole number without leading zeros: the workbook
// holds it as a number, as typing it into the sheet would. Anything else
// ("0012,50", "+23", "9:05:07") stays text exactly as stored.
std::optional<double> wholeNumber(const QString &v)
{
    static const QRegularExpression re(QStringLiteral("^-?(0|[1-9][0-9]{0,14})$"));
    if (!re.match(v).hasMatch())
        return std::nullopt;
    return v.toDouble();
}

} // namespace

qint32 ExportData::integer(const QByteArray &key) const
{
    const auto n = NumberFormat::parseInt(value(key));
    if (!n || *n < std::numeric_limits<qint32>::min() || *n > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(*n);
}

ProtocolStatus readExportData(const QString &path, ExportDocument document, ExportData &out)
{
    out = ExportData();
    out.path = path;
    ProtocolReader r;
    ProtocolStatus st = r.load(path);
    if (!st.ok())
        return st;
    if (!r.isProtocol()) {
        st.fault = ProtocolFault::NotProtocol;
        st.text = Protocol::notProtocolMessage();
        return st;
    }
    out.version = r.version();
    const IniFile &ini = r.ini();
    for (const QByteArray &k : ini.document().keys(Protocol::kUserOption))
        out.plain.insert(k.toLower(), ini.readString(Protocol::kUserOption, k, QString()));

    const bool workbook = document == ExportDocument::Workbook || document == ExportDocument::All;
    const bool report = document == ExportDocument::Report || document == ExportDocument::All;
    QList<QByteArray> textKeys;
    if (workbook) {
        for (const QByteArray &k : Protocol::generalTextKeys())
            textKeys << k;
        textKeys << kFlesh;
    } else if (report) {
        textKeys = reportTextKeys();
    }
    for (const QByteArray &k : textKeys) {
        QString t;
        if (workbook && out.version < Protocol::kVersion) {
            // An old protocol's texts go to the workbook as read: every
            // Windows-1251 letter and sign, none dropped.
            t = fromCp1251(ini.readBytes(Protocol::kUserOption, k, QByteArray()));
        } else {
            st = r.text(k, out.version, t);
            if (!st.ok())
                return st;
        }
        out.texts.insert(k, t);
    }
    // The probe type, always in the numeric encoding, is shown only for a
    // stored firmware 8.
    if (workbook && out.integer("Version_H") == 8 &&
        ini.hasKey(Protocol::kUserOption, kTypeProbe)) {
        QString t;
        st = r.text(kTypeProbe, std::max(out.version, Protocol::kVersion), t);
        if (!st.ok())
            return st;
        out.texts.insert(kTypeProbe, t);
    }

    // Every point the reading visits, usable by the opening's rule or not: a
    // time that does not convert matters to no document, and the workbook
    // lists its points whatever their numbers hold.
    std::vector<std::pair<int, PointKeys>> keys;
    (void)r.points(&out.notes, &keys, QString());
    out.points.reserve(keys.size());
    const QByteArray zero("0");
    for (auto &[i, k] : keys) {
        ExportPoint p{i, std::move(k), std::nullopt, std::nullopt};
        auto orZero = [&](const QString &v) { return v.isEmpty() ? zero : v.toLatin1(); };
        p.n = storedPointInteger(orZero(p.keys.FilterN));
        p.litres = storedPointLitres(orZero(p.keys.liter));
        out.points.push_back(std::move(p));
    }
    return st;
}

std::vector<int> unconvertibleUserPoints(const ExportData &data)
{
    std::vector<int> out;
    for (const ExportPoint &p : data.points)
        if (p.userSave() && !p.convertible())
            out.push_back(p.index);
    return out;
}

QString leftOutNote(const std::vector<int> &indices, int lang)
{
    if (indices.empty())
        return QString();
    QStringList shown;
    for (size_t k = 0; k < indices.size() && k < 10; ++k)
        shown << QString::number(indices[k]);
    if (indices.size() > 10)
        shown << QStringLiteral("…");
    const QString list = shown.join(QStringLiteral(", "));
    if (lang == 1)
        return QStringLiteral("Точек пользователя не вошло в документ: %1 (номера %2): их код "
                              "уровня или литры не являются числами.")
            .arg(indices.size())
            .arg(list);
    return QStringLiteral("%1 user point(s) left out of the document (indices %2): their level "
                          "code or litres are not numbers.")
        .arg(indices.size())
        .arg(list);
}

// ---- spreadsheet

SheetContent spreadsheetContent(const ExportData &d, bool autosavePoints,
                                const SheetDefaults &defaults, int lang)
{
    SheetContent s;
    auto label = [&](int row, const QString &text) {
        s.cells.push_back({row, 9, SheetCell::Kind::Text, text, 0});
    };
    auto text = [&](int row, int col, const QString &v) {
        s.cells.push_back({row, col, SheetCell::Kind::Text, v, 0});
    };
    auto number = [&](int row, int col, double v) {
        s.cells.push_back({row, col, SheetCell::Kind::Number, QString(), v});
    };
    // A stored value: a whole number as a number, anything else as stored.
    auto stored = [&](int row, int col, const QString &v) {
        if (const auto n = wholeNumber(v))
            number(row, col, *n);
        else
            text(row, col, v);
    };
    auto t = [lang](int id) { return LangText(id, lang); };

    // General block: labels in column I, values in column L.
    const struct {
        int row;
        int id;
    } labels[] = {{3, Sheet::CompanyName},  {4, Sheet::Representative}, {5, Sheet::Manufacturer},
                  {6, Sheet::Type},         {7, Sheet::Model},          {8, Sheet::Year},
                  {9, Sheet::Registration}, {12, Sheet::LengthProbe},   {10, Sheet::Volume},
                  {11, Sheet::Height},      {13, Sheet::FullName},      {14, Sheet::ProbeVariant},
                  {15, Sheet::Coarse},      {16, Sheet::Fine}};
    for (const auto &l : labels)
        label(l.row, t(l.id));
    label(17, QStringLiteral("SN:"));
    label(19, t(Sheet::SealNumber));
    if (defaults.connectedMajor == 5 || defaults.connectedMajor == 8) {
        label(20, t(Sheet::StartOfScale) + QStringLiteral(". ") + t(Sheet::CodeCapacitance));
        label(21, t(Sheet::EndOfScale) + QStringLiteral(". ") + t(Sheet::CodeCapacitance));
        if (defaults.connectedMajor == 8) {
            label(22, t(Sheet::TypeOfProbe));
            label(23, t(Sheet::ZeroLength));
            label(24, t(Sheet::Permix));
        }
    }

    // Header row and column widths.
    const QString headers[] = {t(Sheet::VolumeL),    t(Sheet::NValue),
                               t(Sheet::TimeS),      QStringLiteral("DATA FOR DIAGRAM"),
                               t(Sheet::MeasuredC),  t(Sheet::SystemTime),
                               t(Sheet::Temperature)};
    for (int c = 0; c < 7; ++c)
        text(1, c + 1, headers[c]);
    s.widths = {22.43, 21.00, 8.43, 0.10, 20.00, 16.14, 13.86, 14};

    // Values of column L.
    const struct {
        int row;
        const char *key;
    } texts[] = {{3, "CompanyName"}, {4, "Firma"}, {5, "ProizvMashine"}, {6, "TypeMashine"},
                 {7, "NameMashine"}, {8, "Year"},  {9, "NamberMashine"}, {13, "NameUser"},
                 {19, "NambePlomb"}, {14, "Flesh"}};
    for (const auto &v : texts)
        text(v.row, 12, d.texts.value(QByteArray(v.key)));
    number(10, 12, d.integer("UpDown2"));
    number(11, 12, d.integer("UpDown3"));
    for (const auto &[row, key] :
         {std::pair<int, const char *>{15, "CAPDAC"}, {16, "CAPOFF"}, {17, "SN"}})
        stored(row, 12, d.value(key));
    number(12, 12, d.integer("LengthProbe"));

    // The scale rows follow the firmware stored in the protocol, not the
    // connected sensor's (which the export leaves as it is).
    auto plainOr = [&](const char *key, const QString &def) {
        return d.has(key) ? d.value(key) : def;
    };
    const int storedMajor = d.integer("Version_H");
    if (storedMajor == 5) {
        stored(20, 12, plainOr("DownCodeCapacyty", defaults.seUpVal));
        stored(21, 12, plainOr("UpCodeCapacyty", defaults.seDownVal));
    } else if (storedMajor == 8) {
        stored(20, 12, plainOr("DownCodeCapacyty20", defaults.seFSMOffset));
        stored(21, 12, plainOr("UpCodeCapacyty20", defaults.seFSMScale));
        // A missing probe type takes the window's text as it is.
        text(22, 12,
             d.texts.contains(kTypeProbe) ? d.texts.value(kTypeProbe) : defaults.cbFMSCALCPARAM);
        text(23, 12, plainOr("ZeroProbeLength", defaults.meZeroLen));
        text(24, 12, plainOr("PermixFuel", defaults.mePermix));
    }

    // Points, chosen by their status alone: every point with a status at the
    // row of its index, or the user points packed from row 2. Each column
    // holds one type, so the installer can chart litres against N: a number
    // where the stored text converts, the stored text where it does not.
    auto typed = [&](int row, int col, const QString &v, std::optional<double> n,
                     const QString &format) {
        if (n)
            s.cells.push_back({row, col, SheetCell::Kind::Number, QString(), *n, format});
        else
            text(row, col, v);
    };
    auto integerOf = [](const QString &v) -> std::optional<double> {
        if (const auto n = storedPointInteger(v.toLatin1()))
            return double(*n);
        return std::nullopt;
    };
    const QString integers = QStringLiteral("0");
    int next = 2;
    for (const ExportPoint &p : d.points) {
        int row = 0;
        if (autosavePoints && !p.keys.Status_Save.isEmpty())
            row = p.index + 2;
        else if (p.userSave())
            row = next++;
        else
            continue;
        const std::optional<double> n = integerOf(p.keys.FilterN);
        typed(row, 3, p.keys.Time, integerOf(p.keys.Time), integers);
        typed(row, 2, p.keys.FilterN, n, integers);
        s.cells.push_back({row, 4, SheetCell::Kind::Formula, QStringLiteral("=B%1").arg(row),
                           n.value_or(0), QString()});
        text(row, 6, p.keys.Sistem_Time);
        typed(row, 1, p.keys.liter, storedPointLitres(p.keys.liter.toLatin1()),
              QStringLiteral("0.00"));
        // The temperature keeps its sign on screen (+23, -5).
        typed(row, 7, p.keys.Tetmo, integerOf(p.keys.Tetmo), QStringLiteral("+0;-0;0"));
        if (d.version >= Protocol::kVersion) {
            const QString c = p.keys.FilterC.isEmpty() ? QStringLiteral("0") : p.keys.FilterC;
            typed(row, 5, c, integerOf(c), integers);
        }
        text(row, 8, p.keys.Status_Save);
        s.chart.lastRow = std::max(s.chart.lastRow, row);
    }
    // The curve of litres against level code on a sheet of its own, drawn from
    // columns A and B of the points' rows.
    const bool ru = lang == 1;
    s.chart.sheetName = ru ? QStringLiteral("График") : QStringLiteral("Chart");
    s.chart.title = ru ? QStringLiteral("Тарировочная кривая") : QStringLiteral("Calibration curve");
    s.chart.levelTitle = ru ? QStringLiteral("Код уровня, N") : QStringLiteral("Level code, N");
    s.chart.litresTitle = ru ? QStringLiteral("Объём, л") : QStringLiteral("Volume, l");
    return s;
}

// ---- report

ReportContent reportContent(const ExportData &d)
{
    ReportContent r;
    r.title = QStringLiteral("Результаты тарирования.");
    r.header = {QStringLiteral("№"), QStringLiteral("Пользовательские, л."),
                QStringLiteral("Измеренные, код")};
    const NumberFormat nf(QLatin1Char(','));
    int k = 1;
    for (const ExportPoint &p : d.points)
        if (p.userSave() && p.convertible())
            r.rows.push_back({QString::number(k++), nf.general(*p.litres), p.keys.FilterN});
    auto text = [&](const char *key) { return d.texts.value(QByteArray(key)); };
    r.jobLines = {QStringLiteral("Название компании: ") + text("CompanyName"),
                  QStringLiteral("Производитель ТС: ") + text("ProizvMashine"),
                  QStringLiteral("Гос. номер ТС: ") + text("NamberMashine"),
                  QStringLiteral("Объем бака: ") + QString::number(d.integer("UpDown2")),
                  QStringLiteral("Тарировку выполнил: ") + text("NameUser"),
                  QStringLiteral("Представитель заказчика: ") + text("Firma")};
    r.signatures = QStringLiteral("Подпись исполнителя ______________               Подпись "
                                  "заказчика ______________");

    // The curve page: the report's points and what the table check says of them.
    std::vector<UserPoint> points;
    for (const ExportPoint &p : d.points)
        if (p.userSave() && p.convertible()) {
            r.curve.emplace_back(double(*p.n), *p.litres);
            points.push_back({p.index, *p.n, *p.litres});
        }
    if (points.size() >= 2) {
        const bool draining = points.back().litres < points.front().litres;
        TableCheck::Limits limits;
        const std::optional<TableCheck::Range> range =
            TableCheck::storedRange([&d](const QByteArray &key) -> std::optional<qint32> {
                return d.has(key) ? std::optional<qint32>(d.integer(key)) : std::nullopt;
            });
        limits.rangeBottom = range ? range->bottom : 0;
        limits.rangeTop = range ? range->top : TableCheck::rangeTopFor(points);
        for (const TableCheck::Finding &f : TableCheck::check(points, draining, limits))
            r.checkLines << (f.fault() ? QString() : QStringLiteral("Предупреждение: ")) +
                                TableCheck::text(f, draining, limits, 1);
        if (r.checkLines.isEmpty())
            r.checkLines << QStringLiteral("Замечаний нет.");
    }
    return r;
}

// ---- telematics table

std::vector<const ExportPoint *> telematicsPoints(const ExportData &d)
{
    // The user-saved points whose N and litres both convert.
    std::vector<const ExportPoint *> out;
    for (const ExportPoint &p : d.points)
        if (p.userSave() && p.convertible())
            out.push_back(&p);
    return out;
}

QString wlpContent(const ExportData &d, const QString &prefix, const QString &suffix,
                   bool integerLevels)
{
    QString out = prefix;
    bool first = true;
    for (const ExportPoint *p : telematicsPoints(d)) {
        const QString n =
            integerLevels ? QString::number(*p->n) : NumberFormat::fixedDot(*p->n / 1000.0, 3, 4);
        // The whole litres, printed from the double itself: a stored value
        // may lie beyond any integer type, and -0 would read as a sign.
        const QString l = QString::number(std::trunc(*p->litres) + 0.0, 'f', 0);
        if (!first)
            out += QLatin1Char(':');
        out += n + QLatin1Char(':') + l;
        first = false;
    }
    return out + suffix;
}

// ---- files

QString documentPathBeside(const QString &protocolPath, const QString &extension)
{
    return documentPathsBeside(protocolPath, {extension}).front();
}

QStringList documentPathsBeside(const QString &protocolPath, const QStringList &extensions)
{
    const QFileInfo fi(protocolPath);
    const QString base = fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName();
    for (int n = 1;; ++n) {
        const QString stem = n == 1 ? base : base + QStringLiteral(" (%1)").arg(n);
        QStringList paths;
        bool free = true;
        for (const QString &ext : extensions) {
            paths << stem + ext;
            free = free && !QFileInfo::exists(paths.back());
        }
        if (free)
            return paths;
    }
}

QByteArray wlpBytes(const QString &content)
{
    return toCp1251(content);
}
