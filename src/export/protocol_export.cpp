#include "export/protocol_export.h"

#include "common/lang_ids.h"
#include "common/numfmt.h"
#include "shell/lang_table.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

const QByteArray kFlesh = QByteArrayLiteral("Flesh");
const QByteArray kTypeProbe = QByteArrayLiteral("TypeProbe");

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
    const auto n = NumberFormat::parseInt(plain.value(key));
    if (!n || *n < std::numeric_limits<qint32>::min() || *n > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(*n);
}

ProtocolStatus readExportData(const QString &path, ExportData &out)
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
    QList<QByteArray> textKeys;
    for (const QByteArray &k : Protocol::generalTextKeys())
        textKeys << k;
    textKeys << kFlesh;
    for (const QByteArray &k : textKeys) {
        QString t;
        st = r.text(k, out.version, t);
        if (!st.ok())
            return st;
        out.texts.insert(k, t);
    }
    // The probe type is always stored in the numeric encoding.
    if (r.ini().hasKey(Protocol::kUserOption, kTypeProbe)) {
        QString t;
        st = r.text(kTypeProbe, std::max(out.version, Protocol::kVersion), t);
        if (!st.ok())
            return st;
        out.texts.insert(kTypeProbe, t);
    }
    for (const QByteArray &k : r.ini().document().keys(Protocol::kUserOption))
        out.plain.insert(k, r.ini().readString(Protocol::kUserOption, k, QString()));

    const PointsRead read = r.points(&out.notes);
    out.points.reserve(read.points.size());
    for (const StoredPoint &p : read.points)
        out.points.push_back({p.index, r.pointKeys(p.index, QString()), p.FilterN, p.liter});
    return st;
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
        stored(row, 12, d.plain.value(QByteArray(key)));
    number(12, 12, d.integer("LengthProbe"));

    // The scale rows follow the firmware stored in the protocol, not the
    // connected sensor's (which the export leaves as it is).
    auto plainOr = [&](const char *key, const QString &def) {
        return d.has(key) ? d.plain.value(key) : def;
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

    // Points: every point with a status at the row of its index, or the user
    // points packed from row 2.
    int next = 2;
    for (const ExportPoint &p : d.points) {
        int row = 0;
        if (autosavePoints && !p.keys.Status_Save.isEmpty())
            row = p.index + 2;
        else if (p.userSave())
            row = next++;
        else
            continue;
        stored(row, 3, p.keys.Time);
        stored(row, 2, p.keys.FilterN);
        const auto n = wholeNumber(p.keys.FilterN);
        s.cells.push_back(
            {row, 4, SheetCell::Kind::Formula, QStringLiteral("=B%1").arg(row), n.value_or(0)});
        stored(row, 6, p.keys.Sistem_Time);
        stored(row, 1, p.keys.liter);
        stored(row, 7, p.keys.Tetmo);
        if (d.version >= Protocol::kVersion)
            stored(row, 5, p.keys.FilterC.isEmpty() ? QStringLiteral("0") : p.keys.FilterC);
        text(row, 8, p.keys.Status_Save);
    }
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
        if (p.userSave())
            r.rows.push_back({QString::number(k++), nf.general(p.litres), p.keys.FilterN});
    auto text = [&](const char *key) { return d.texts.value(QByteArray(key)); };
    r.jobLines = {QStringLiteral("Название компании: ") + text("CompanyName"),
                  QStringLiteral("Производитель ТС: ") + text("ProizvMashine"),
                  QStringLiteral("Гос. номер ТС: ") + text("NamberMashine"),
                  QStringLiteral("Объем бака: ") + QString::number(d.integer("UpDown2")),
                  QStringLiteral("Тарировку выполнил: ") + text("NameUser"),
                  QStringLiteral("Представитель заказчика: ") + text("Firma")};
    r.signatures = QStringLiteral("Подпись исполнителя ______________               Подпись "
                                  "заказчика ______________");
    return r;
}

// ---- telematics table

QString wlpContent(const ExportData &d, const QString &prefix, const QString &suffix,
                   bool integerLevels)
{
    QString out = prefix;
    bool first = true;
    for (const ExportPoint &p : d.points) {
        if (!p.userSave())
            continue;
        // Usable points only: their N and litres converted.
        const QString n =
            integerLevels ? QString::number(p.n) : NumberFormat::fixedDot(p.n / 1000.0, 3, 4);
        const QString l = QString::number(qint64(std::trunc(p.litres)));
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
    const QFileInfo fi(protocolPath);
    const QString base = fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName();
    QString path = base + extension;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral(" (%1)").arg(n) + extension;
    return path;
}
