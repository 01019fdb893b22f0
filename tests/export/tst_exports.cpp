// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The documents of a protocol, from independently written protocol files:
// the workbook's cells (and the .xlsx read back by unzipping its XML), the
// report (its .odt XML and its PDF), the telematics table, the printout, and
// kvtool's three commands with their exit statuses.

#include "export/protocol_export.h"
#include "export/report_writer.h"
#include "export/spreadsheet_writer.h"
#include "shell/settings_store.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <map>

namespace {

QByteArray enc(const QString &t)
{
    QByteArray out;
    for (QChar c : t)
        out += '#' + QByteArray::number(c.unicode()).rightJustified(4, '0');
    return out;
}

struct Pt {
    int index;
    QByteArray n, litres, status;
};

// A protocol as the program writes it: the general data, then the points.
QByteArray protocol(const QList<Pt> &points, int version = 100, const QByteArray &extra = {})
{
    const bool coded = version >= 100;
    auto text = [&](const char *key, const QString &v) {
        return QByteArray(key) + "=" + (coded ? enc(v) : v.toLatin1()) + "\r\n";
    };
    QByteArray b = "[Protocol]\r\nMarking=OK\r\nVersion=" + QByteArray::number(version) +
                   "\r\n[User_Option]\r\n";
    b += text("CompanyName", coded ? QStringLiteral("ООО Бак") : QStringLiteral("Tank Ltd"));
    b += text("Firma", QStringLiteral("Ivanov"));
    b += text("ProizvMashine", QStringLiteral("KAMAZ"));
    b += text("NamberMashine", QStringLiteral("A123BC"));
    b += text("NameUser", QStringLiteral("Petrov"));
    b += "UpDown2=400\r\nUpDown3=650\r\nLengthProbe=700\r\nSN=123456\r\nCAPDAC=12\r\n" + extra;
    int stop = 0;
    QByteArray pts;
    for (const Pt &p : points) {
        const QByteArray i = QByteArray::number(p.index);
        pts += "Time" + i + "=" + QByteArray::number(p.index * 10) + "\r\nFilterN" + i + "=" + p.n +
               "\r\nFilterC" + i + "=3" + p.n + "\r\nSistem_Time" + i + "=9:05:07\r\nliter" + i +
               "=" + p.litres + "\r\nTetmo" + i + "=+23\r\nStatus_Save" + i + "=" + p.status +
               "\r\n";
        stop = std::max(stop, p.index);
    }
    return b + "[Point]\r\nStop_Point=" + QByteArray::number(stop) + "\r\n[Protocol_Date]\r\n" +
           pts;
}

QString write(const QTemporaryDir &dir, const QByteArray &bytes, const char *name = "tank.kvi")
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? path : QString();
}

ExportData read(const QString &path)
{
    ExportData d;
    const ProtocolStatus st = readExportData(path, d);
    if (!st.ok())
        qWarning("%s", qPrintable(st.text));
    return d;
}

// The cells as "A2" -> "text" / "#number" / "=formula|cached".
std::map<QString, QString> cellMap(const SheetContent &s)
{
    std::map<QString, QString> m;
    for (const SheetCell &c : s.cells) {
        const QString at = QChar('A' + c.col - 1) + QString::number(c.row);
        switch (c.kind) {
        case SheetCell::Kind::Text:
            m[at] = c.text;
            break;
        case SheetCell::Kind::Number:
            m[at] = QLatin1Char('#') + QString::number(c.number);
            break;
        case SheetCell::Kind::Formula:
            m[at] = c.text + QLatin1Char('|') + QString::number(c.number);
            break;
        }
    }
    return m;
}

// One column of the cells, in the order of its rows: "I3 Company name", ...
QStringList column(const std::map<QString, QString> &cells, QChar letter)
{
    std::map<int, QString> rows;
    for (const auto &[at, v] : cells)
        if (at.at(0) == letter)
            rows[at.mid(1).toInt()] = at + QLatin1Char(' ') + v;
    QStringList out;
    for (const auto &[row, line] : rows)
        out << line;
    return out;
}

QByteArray unzip(const QString &archive, const QString &member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    p.waitForFinished(-1);
    return p.readAllStandardOutput();
}

// The sheet of an .xlsx read back: "A2" -> "#12.5 0.00" (a number and its
// number format, "General" when none), "abc" (a text), "=B2 100" (a formula).
std::map<QString, QString> xlsxCells(const QString &xlsx)
{
    const QString sheet = QString::fromUtf8(unzip(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    const QString strings = QString::fromUtf8(unzip(xlsx, QStringLiteral("xl/sharedStrings.xml")));
    const QString styles = QString::fromUtf8(unzip(xlsx, QStringLiteral("xl/styles.xml")));
    QStringList shared;
    static const QRegularExpression si(QStringLiteral("<si><t[^>]*>([^<]*)</t></si>"));
    for (auto it = si.globalMatch(strings); it.hasNext();)
        shared << it.next().captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    std::map<int, QString> formats = {{0, "General"}, {1, "0"}, {2, "0.00"}};
    static const QRegularExpression numFmt(
        QStringLiteral("<numFmt numFmtId=\"([0-9]+)\" formatCode=\"([^\"]*)\"/>"));
    for (auto it = numFmt.globalMatch(styles); it.hasNext();) {
        const auto m = it.next();
        formats[m.captured(1).toInt()] = m.captured(2);
    }
    QList<int> xfs;
    static const QRegularExpression xf(QStringLiteral("<xf numFmtId=\"([0-9]+)\""));
    const QString cellXfs = styles.section(QStringLiteral("<cellXfs"), 1);
    for (auto it = xf.globalMatch(cellXfs); it.hasNext();)
        xfs << it.next().captured(1).toInt();
    static const QRegularExpression cell(QStringLiteral(
        "<c r=\"([A-Z]+[0-9]+)\"(?: s=\"([0-9]+)\")?(?: t=\"(s)\")?>(?:<f>([^<]*)</f>)?<v>([^<]*)</v></c>"));
    std::map<QString, QString> out;
    for (auto it = cell.globalMatch(sheet); it.hasNext();) {
        const auto m = it.next();
        QString v;
        if (m.captured(3) == QLatin1String("s"))
            v = shared.value(m.captured(5).toInt());
        else if (!m.captured(4).isEmpty())
            v = QLatin1Char('=') + m.captured(4) + QLatin1Char(' ') + m.captured(5);
        else
            v = QLatin1Char('#') + m.captured(5) + QLatin1Char(' ') +
                formats[xfs.value(m.captured(2).toInt())];
        out[m.captured(1)] = v;
    }
    return out;
}

// The top-level paragraphs of an .odt body in order, by their text, with
// "[table]" where the table stands.
QStringList odtBody(const QString &contentXml)
{
    QString body = contentXml.section(QStringLiteral("<office:text>"), 1)
                       .section(QStringLiteral("</office:text>"), 0, 0);
    static const QRegularExpression table(QStringLiteral("<table:table .*</table:table>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    body.replace(table, QStringLiteral("<text:p>[table]</text:p>"));
    static const QRegularExpression para(
        QStringLiteral("<text:p[^>]*/>|<text:p[^>]*>(.*?)</text:p>"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression spaces(QStringLiteral("<text:s text:c=\"([0-9]+)\"/>"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QStringList out;
    for (auto it = para.globalMatch(body); it.hasNext();) {
        QString p = it.next().captured(1);
        for (auto m = spaces.match(p); m.hasMatch(); m = spaces.match(p))
            p.replace(m.capturedStart(), m.capturedLength(), QString(m.captured(1).toInt(), ' '));
        out << p.replace(QStringLiteral("<text:s/>"), QStringLiteral(" ")).remove(tag);
    }
    return out;
}

struct PdfWord {
    QString text;
    double x = 0, y = 0; ///< top-left corner in points from the page's top-left
};
// The words of a PDF with their places, as poppler's text extraction reads them.
std::vector<PdfWord> pdfWords(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(-1);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    std::vector<PdfWord> out;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out.push_back({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return out;
}
// The PDF's text line by line as poppler lays it out.
QStringList pdfLines(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(-1);
    QStringList lines;
    for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (!l.trimmed().isEmpty())
            lines << l.simplified();
    return lines;
}

// The pages of a PDF drawn by poppler at 100 dpi in grey, one file each
// (named from `prefix`), in page order.
QStringList pdfPages(const QString &pdf, const QString &prefix)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"), pdf, prefix});
    p.waitForFinished(-1);
    const QFileInfo fi(prefix);
    QStringList pages;
    for (const QString &f :
         fi.dir().entryList({fi.fileName() + QStringLiteral("-*.pgm")}, QDir::Files, QDir::Name))
        pages << fi.dir().filePath(f);
    return pages;
}

// The resolution at which a PDF's one image is drawn, as poppler lists it.
int imagePpi(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(-1);
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    const QStringList f = lines.value(2).simplified().split(QLatin1Char(' '));
    return f.size() > 13 && f[12] == f[13] ? f[12].toInt() : -1;
}

struct Run {
    int code = -1;
    QString out, err;
};
Run kvtool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KV_KVTOOL), args);
    p.waitForFinished(-1);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QList<Pt> kSpread = {{0, "10", "0000,00", "Auto Save"},
                           {3, "100", "0000,00", "User Save"},
                           {5, "200", "0005,00", "Auto Save"},
                           {9, "300", "0012,50", "User Save"},
                           {17, "500", "0100,00", "User Save"}};

} // namespace

Q_DECLARE_METATYPE(Pt)

class TstExports : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // kvtool reads its settings from here, not from the user's.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    // User points at 3, 9 and 17 go to rows 2..4, packed, with =B2..=B4 and
    // their cached values; whole numbers are numbers, other texts as stored.
    void spreadsheetUserPoints()
    {
        QTemporaryDir dir;
        const ExportData d = read(write(dir, protocol(kSpread)));
        const auto m = cellMap(spreadsheetContent(d, false, {}, 0));
        QCOMPARE(m.at("B2"), QStringLiteral("#100"));
        QCOMPARE(m.at("B3"), QStringLiteral("#300"));
        QCOMPARE(m.at("B4"), QStringLiteral("#500"));
        QCOMPARE(m.at("D2"), QStringLiteral("=B2|100"));
        QCOMPARE(m.at("D4"), QStringLiteral("=B4|500"));
        QCOMPARE(m.at("A3"), QStringLiteral("#12.5"));
        QCOMPARE(m.at("C3"), QStringLiteral("#90"));
        QCOMPARE(m.at("E2"), QStringLiteral("#3100"));
        QCOMPARE(m.at("F2"), QStringLiteral("9:05:07"));
        QCOMPARE(m.at("G2"), QStringLiteral("#23"));
        QCOMPARE(m.at("H4"), QStringLiteral("User Save"));
        QVERIFY(!m.count("B5"));
        // The general block.
        QCOMPARE(m.at("I3"), QStringLiteral("Company name"));
        QCOMPARE(m.at("I17"), QStringLiteral("SN:"));
        // Every value of the general block; a key the protocol lacks is an empty text.
        QCOMPARE(column(m, 'L'),
                 (QStringList{"L3 ООО Бак", "L4 Ivanov", "L5 KAMAZ", "L6 ", "L7 ", "L8 ",
                              "L9 A123BC", "L10 #400", "L11 #650", "L12 #700", "L13 Petrov",
                              "L14 ", "L15 #12", "L16 ", "L17 #123456", "L19 "}));
        QCOMPARE(m.at("A1"), QStringLiteral("Volume, l"));
        QCOMPARE(m.at("D1"), QStringLiteral("DATA FOR DIAGRAM"));
        // No stored firmware and none connected: no scale rows.
        QVERIFY(!m.count("I20") && !m.count("L20"));
        const auto ru = cellMap(spreadsheetContent(d, false, {}, 1));
        QCOMPARE(ru.at("I3"), QStringLiteral("Название компании"));
        QCOMPARE(ru.at("A1"), QStringLiteral("Пользовательские"));
    }

    // With the autosave points every point goes to the row of its index.
    void spreadsheetAllPoints()
    {
        QTemporaryDir dir;
        QList<Pt> six;
        const char *statuses[] = {"Auto Save", "User Save",        "Auto Save",
                                  "User Save", "Save Before Exit", "Save Before Exit"};
        for (int i = 0; i <= 5; ++i)
            six << Pt{i, QByteArray::number(100 * i), "0001,00", statuses[i]};
        const auto m = cellMap(spreadsheetContent(read(write(dir, protocol(six))), true, {}, 0));
        for (int i = 0; i <= 5; ++i) {
            QCOMPARE(m.at(QStringLiteral("H%1").arg(i + 2)), QLatin1String(statuses[i]));
            QCOMPARE(m.at(QStringLiteral("B%1").arg(i + 2)), QStringLiteral("#%1").arg(100 * i));
        }
        QVERIFY(!m.count("H8"));
    }

    void spreadsheetLegacyVersion()
    {
        QTemporaryDir dir;
        const auto m =
            cellMap(spreadsheetContent(read(write(dir, protocol(kSpread, 99))), false, {}, 0));
        QCOMPARE(m.at("L3"), QStringLiteral("Tank Ltd"));
        QVERIFY(!m.count("E2") && !m.count("E3"));
        QCOMPARE(m.at("E1"), QStringLiteral("Measured in C code")); // the header stays
    }

    // A firmware-8 sensor connected, a version-5 protocol: firmware-8 labels,
    // the version-5 scale values, nothing in rows 22..24.
    void spreadsheetScaleRows()
    {
        QTemporaryDir dir;
        const ExportData d =
            read(write(dir, protocol(kSpread, 100,
                                     "Version_H=5\r\nVersion_L=3\r\nDownCodeCapacyty=1000\r\n"
                                     "UpCodeCapacyty=60000\r\nDownCodeCapacyty20=7\r\n")));
        SheetDefaults def;
        def.connectedMajor = 8;
        def.seUpVal = QStringLiteral("1");
        const auto m = cellMap(spreadsheetContent(d, false, def, 0));
        // Every label of the general block, with the firmware-8 rows.
        QCOMPARE(column(m, 'I'),
                 (QStringList{"I3 Company name", "I4 Name of representative", "I5 Manufacturer",
                              "I6 Type", "I7 Model", "I8 Year of manufacturing",
                              "I9 Registration number", "I10 Volume, L",
                              "I11 External tank height, mm", "I12 Length probe",
                              "I13 Full name", "I14 Probe length", "I15 Coarse", "I16 Fine",
                              "I17 SN:", "I19 Seal Number",
                              "I20 Start of scale. The code capacitance, C",
                              "I21 The end of the scale. The code capacitance, C",
                              "I22 Type of probe", "I23 Capacitance probe zero length, pF",
                              "I24 Permix Fuel"}));
        QCOMPARE(m.at("L20"), QStringLiteral("#1000"));
        QCOMPARE(m.at("L21"), QStringLiteral("#60000"));
        QVERIFY(!m.count("L22") && !m.count("L23") && !m.count("L24"));

        // Stored version 8 without a probe type: the window's text as it is.
        const ExportData d8 = read(write(dir, protocol(kSpread, 100, "Version_H=8\r\n"), "b.kvi"));
        def.cbFMSCALCPARAM = QStringLiteral("#abc");
        def.seFSMOffset = QStringLiteral("11");
        const auto m8 = cellMap(spreadsheetContent(d8, false, def, 0));
        QCOMPARE(m8.at("L22"), QStringLiteral("#abc"));
        QCOMPARE(m8.at("L20"), QStringLiteral("#11"));
    }

    // The workbook on disk: cells, the formula's cached value, column widths.
    void xlsxFileReadBack()
    {
        QTemporaryDir dir;
        const QString path = write(dir, protocol(kSpread));
        const QString out = documentPathBeside(path, QStringLiteral(".xlsx"));
        QCOMPARE(out, dir.filePath(QStringLiteral("tank.xlsx")));
        QVERIFY(writeXlsx(spreadsheetContent(read(path), false, {}, 0), out).isEmpty());
        QCOMPARE(documentPathBeside(path, QStringLiteral(".xlsx")),
                 dir.filePath(QStringLiteral("tank (2).xlsx")));
        const QByteArray sheet = unzip(out, QStringLiteral("xl/worksheets/sheet1.xml"));
        const auto cells = xlsxCells(out);
        QCOMPARE(cells.at("D3"), QStringLiteral("=B3 300"));
        QCOMPARE(cells.at("B2"), QStringLiteral("#100 0"));
        QVERIFY(sheet.contains("<col min=\"1\" max=\"1\" width=\"23.140625\" customWidth=\"1\"/>"));
        QVERIFY(sheet.contains("<col min=\"4\" max=\"4\" width=\"0.140625\" customWidth=\"1\"/>"));
        const QByteArray strings = unzip(out, QStringLiteral("xl/sharedStrings.xml"));
        QVERIFY(strings.contains(QStringLiteral("<t>ООО Бак</t>").toUtf8()));
        // A folder that cannot be written: the reason, and no file.
        QVERIFY(!writeXlsx({}, dir.filePath(QStringLiteral("no/such/dir/x.xlsx"))).isEmpty());
    }

    // The chart sheet after the table's sheet: a scatter with lines of the
    // litres in column A over the level codes in column B of the points'
    // rows, titled in the interface language; the table's sheet is the same
    // as without it.
    void xlsxChartSheet_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<bool>("autosave");
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("lastRow");
        QTest::newRow("English, user points") << 0 << false << "Chart" << "Calibration curve" << 4;
        QTest::newRow("Russian, every point") << 1 << true << "График" << "Тарировочная кривая" << 19;
    }
    void xlsxChartSheet()
    {
        QFETCH(int, lang);
        QFETCH(bool, autosave);
        QFETCH(QString, sheetName);
        QFETCH(QString, title);
        QFETCH(int, lastRow);
        QTemporaryDir dir;
        const QString path = write(dir, protocol(kSpread));
        SheetContent content = spreadsheetContent(read(path), autosave, {}, lang);
        const QString out = dir.filePath(QStringLiteral("chart.xlsx"));
        QVERIFY(writeXlsx(content, out).isEmpty());
        const QString workbook = QString::fromUtf8(unzip(out, QStringLiteral("xl/workbook.xml")));
        const int table = int(workbook.indexOf(QStringLiteral("<sheet name=\"Sheet1\"")));
        const int chartSheet = int(workbook.indexOf(QStringLiteral("<sheet name=\"%1\"").arg(sheetName)));
        QVERIFY2(table >= 0 && chartSheet > table, qPrintable(workbook));
        const QString chart = QString::fromUtf8(unzip(out, QStringLiteral("xl/charts/chart1.xml")));
        QVERIFY2(chart.contains(QLatin1String("<c:scatterChart>")), qPrintable(chart));
        QVERIFY(chart.contains(QStringLiteral("<c:xVal><c:numRef><c:f>Sheet1!$B$2:$B$%1</c:f>")
                                   .arg(lastRow)));
        QVERIFY(chart.contains(QStringLiteral("<c:yVal><c:numRef><c:f>Sheet1!$A$2:$A$%1</c:f>")
                                   .arg(lastRow)));
        QVERIFY(chart.contains(title));
        QVERIFY(!unzip(out, QStringLiteral("xl/chartsheets/sheet1.xml")).isEmpty());

        content.chart.lastRow = 0;
        const QString plain = dir.filePath(QStringLiteral("plain.xlsx"));
        QVERIFY(writeXlsx(content, plain).isEmpty());
        QCOMPARE(unzip(out, QStringLiteral("xl/worksheets/sheet1.xml")),
                 unzip(plain, QStringLiteral("xl/worksheets/sheet1.xml")));
        QVERIFY(unzip(plain, QStringLiteral("xl/charts/chart1.xml")).isEmpty());
    }

    // User points numbered 1..3 with the litres in the shortest form; a
    // point whose litres do not convert is left out.
    void reportContents()
    {
        QTemporaryDir dir;
        QList<Pt> pts = kSpread;
        pts << Pt{20, "600", "abc", "User Save"};
        const ReportContent r = reportContent(read(write(dir, protocol(pts))));
        QCOMPARE(r.title, QStringLiteral("Результаты тарирования."));
        QCOMPARE(r.rows.size(), size_t(3));
        QCOMPARE(r.rows[0], (QStringList{"1", "0", "100"}));
        QCOMPARE(r.rows[1], (QStringList{"2", "12,5", "300"}));
        QCOMPARE(r.rows[2], (QStringList{"3", "100", "500"}));
        QCOMPARE(r.jobLines.front(), QStringLiteral("Название компании: ООО Бак"));
        QCOMPARE(r.jobLines[3], QStringLiteral("Объем бака: 400"));
        QCOMPARE(r.jobLines[5], QStringLiteral("Представитель заказчика: Ivanov"));
    }

    void reportFiles()
    {
        QTemporaryDir dir;
        const ReportContent r = reportContent(read(write(dir, protocol(kSpread))));
        const QString odt = dir.filePath(QStringLiteral("tank.odt"));
        QVERIFY(writeReport(r, odt).isEmpty());
        const QString xml = QString::fromUtf8(unzip(odt, QStringLiteral("content.xml")));
        QCOMPARE(xml.count(QStringLiteral("<table:table-row")), 4);
        QVERIFY(xml.contains(QStringLiteral("Результаты тарирования.")));
        QVERIFY(xml.contains(QStringLiteral(">12,5<")));
        QVERIFY(xml.contains(QStringLiteral("Подпись исполнителя")));
        static const QRegularExpression widths(
            QStringLiteral("style:column-width=\"([0-9.]+)pt\""));
        QStringList w;
        for (auto it = widths.globalMatch(xml); it.hasNext();)
            w << it.next().captured(1);
        QCOMPARE(w, (QStringList{"50", "120", "100"}));
        static const QRegularExpression title(QStringLiteral("fo:font-size=\"15pt\""));
        QVERIFY(title.match(xml).hasMatch());
        // The title, the table at once, one empty line, the job data, two
        // empty lines and the signatures.
        QStringList body = {r.title, QStringLiteral("[table]"), QString()};
        body << r.jobLines << QString() << QString() << r.signatures;
        QCOMPARE(odtBody(xml), body);

        // The report's own page first, as it is without the curve page.
        ReportContent tableOnly = r;
        tableOnly.curve.clear();
        tableOnly.checkLines.clear();
        const QString pdf = dir.filePath(QStringLiteral("tank.pdf"));
        QVERIFY(writeReport(tableOnly, pdf).isEmpty());
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page/") + bytes.count("/Type /Page "),
                 1);
        QVERIFY(bytes.contains("/MediaBox [0 0 595.000000 842.000000]"));

        // Read back: the header cell and the signatures on one line each, the
        // text inside the report's own margins (20 mm left, 15 mm top), no
        // page number below the signatures.
        const QStringList lines = pdfLines(pdf);
        QVERIFY2(lines.filter(QStringLiteral("Пользовательские, л.")).size() == 1,
                 qPrintable(lines.join('\n')));
        QVERIFY2(lines.contains(r.signatures.simplified()), qPrintable(lines.join('\n')));
        QCOMPARE(lines.last(), r.signatures.simplified());
        const auto words = pdfWords(pdf);
        QVERIFY(!words.empty());
        double left = 1e9, top = 1e9;
        for (const PdfWord &w : words) {
            left = std::min(left, w.x);
            top = std::min(top, w.y);
        }
        // An empty line between the table's last row and the job data.
        double lastRow = 0, company = 0;
        for (const PdfWord &w : words) {
            if (w.text == QLatin1String("500"))
                lastRow = w.y;
            if (w.text == QStringLiteral("Название"))
                company = w.y;
        }
        QVERIFY2(company - lastRow > 28, qPrintable(QStringLiteral("%1 %2").arg(lastRow).arg(company)));
        const double mm = 72 / 25.4;
        QVERIFY2(left >= 20 * mm - 1 && left < 20 * mm + 6, qPrintable(QString::number(left)));
        QVERIFY2(top >= 15 * mm - 1 && top < 15 * mm + 6, qPrintable(QString::number(top)));

        // With the curve page: the first page pixel for pixel the same, then
        // the curve of the three points and the table check's word on it.
        QCOMPARE(r.curve, (std::vector<std::pair<double, double>>{{100, 0}, {300, 12.5}, {500, 100}}));
        QCOMPARE(r.checkLines,
                 QStringList{QStringLiteral("Предупреждение: Самый высокий код уровня таблицы 500 "
                                            "на 51 % диапазона датчика (0..1023) ниже его верха: "
                                            "литры выше него не определить")});
        const QString both = dir.filePath(QStringLiteral("both.pdf"));
        QVERIFY(writeReport(r, both).isEmpty());
        const QStringList one = pdfPages(pdf, dir.filePath(QStringLiteral("one")));
        const QStringList two = pdfPages(both, dir.filePath(QStringLiteral("two")));
        QCOMPARE(one.size(), 1);
        QCOMPARE(two.size(), 2);
        QFile a(one[0]), b(two[0]);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY(a.readAll() == b.readAll());
        const QStringList second = pdfLines(both).mid(lines.size());
        QCOMPARE(second.value(0), QStringLiteral("Тарировочная кривая"));
        QVERIFY2(second.contains(QStringLiteral("Проверка таблицы:")), qPrintable(second.join('\n')));
        QVERIFY2(second.join(' ').contains(QStringLiteral("литры выше него не определить")),
                 qPrintable(second.join('\n')));
        QVERIFY2(second.join(' ').contains(QStringLiteral("Код уровня, N")),
                 qPrintable(second.join('\n')));
    }

    // The PDF's table lines are drawn by the writer over a table laid out
    // without lines; the pages must be those Qt draws for the bordered table:
    // the same words at the same places and the same pixels, over page
    // breaks, cells of two lines and a last row of two lines.
    void reportPdfAsQtDrawsIt_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("wrapped");
        QTest::newRow("130 rows, 4 pages") << 130 << QList<int>{};
        QTest::newRow("cells of two lines") << 90 << QList<int>{2, 37, 38, 39, 40, 41, 89};
    }
    void reportPdfAsQtDrawsIt()
    {
        QFETCH(int, rows);
        QFETCH(QList<int>, wrapped);
        QTemporaryDir dir;
        ReportContent r = reportContent(read(write(dir, protocol(kSpread))));
        r.rows.clear();
        for (int i = 1; i <= rows; ++i) {
            const bool two = wrapped.contains(i - 1);
            r.rows.push_back({QString::number(i),
                              two ? QStringLiteral("12,5 litres poured from the can") : "12,5",
                              two && i == rows ? QStringLiteral("4095 4095 4095 4095 4095 4095")
                                               : QString::number(i * 10)});
        }
        r.curve.clear(); // the table's pages alone, as both painters draw them
        const QString drawn = dir.filePath(QStringLiteral("drawn.pdf"));
        const QString byQt = dir.filePath(QStringLiteral("qt.pdf"));
        QVERIFY(writeReport(r, drawn).isEmpty());
        QVERIFY(writeReport(r, byQt, PdfGrid::Qt).isEmpty());

        const auto a = pdfWords(drawn), b = pdfWords(byQt);
        QCOMPARE(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            QCOMPARE(a[i].text, b[i].text);
            QCOMPARE(a[i].x, b[i].x);
            QCOMPARE(a[i].y, b[i].y);
        }
        const QStringList drawnPages = pdfPages(drawn, dir.filePath(QStringLiteral("d")));
        const QStringList qtPages = pdfPages(byQt, dir.filePath(QStringLiteral("q")));
        QVERIFY(qtPages.size() > 2);
        QCOMPARE(drawnPages.size(), qtPages.size());
        for (int i = 0; i < qtPages.size(); ++i) {
            QFile d(drawnPages[i]), q(qtPages[i]);
            QVERIFY(d.open(QIODevice::ReadOnly) && q.open(QIODevice::ReadOnly));
            QVERIFY2(d.readAll() == q.readAll(), qPrintable(QStringLiteral("page %1").arg(i + 1)));
        }
    }

    void wlpTable_data()
    {
        QTest::addColumn<QList<Pt>>("points");
        QTest::addColumn<bool>("integerLevels");
        QTest::addColumn<QString>("data");
        const QList<Pt> two = {{0, "1500", "0012,50", "User Save"},
                               {1, "1900", "0018,00", "Auto Save"},
                               {2, "2300", "0024,00", "User Save"}};
        QTest::newRow("integer levels") << two << true << "1500:12:2300:24";
        QTest::newRow("levels / 1000") << two << false << "1.500:12:2.300:24";
        QTest::newRow("4095 and 0")
            << QList<Pt>{{0, "0", "0000,00", "User Save"}, {1, "4095", "0123,99", "User Save"}}
            << false << "0.000:0:4.095:123";
        // The shortest form that point editing writes keeps its integer part.
        QTest::newRow("12,5 after a correction")
            << QList<Pt>{{0, "1500", "12,5", "User Save"}} << true << "1500:12";
        // A point whose N or litres do not convert is left out, not written as 0.
        QTest::newRow("points that do not convert")
            << QList<Pt>{{0, "x", "0001,00", "User Save"},
                         {1, "1500", "abc", "User Save"},
                         {2, "1600", "0002,00", "User Save"}}
            << true << "1600:2";
        QTest::newRow("no user points") << QList<Pt>{{0, "5", "1", "Auto Save"}} << true << "";
        // Whole litres beyond a 64-bit integer (a hand-edited file) are written
        // whole, and a drained tank's -0,5 is 0, not "-0".
        QTest::newRow("litres beyond 64 bits and below zero")
            << QList<Pt>{{0, "1500", "99999999999999999999,5", "User Save"},
                         {1, "1600", "-000,50", "User Save"}}
            << true << "1500:100000000000000000000:1600:0";
    }
    void wlpTable()
    {
        QFETCH(QList<Pt>, points);
        QFETCH(bool, integerLevels);
        QFETCH(QString, data);
        QTemporaryDir dir;
        const ExportData d = read(write(dir, protocol(points)));
        QCOMPARE(wlpContent(d, QStringLiteral("<"), QStringLiteral(">"), integerLevels),
                 QLatin1Char('<') + data + QLatin1Char('>'));
    }

    // One page, the image at its 96-dpi physical size: a 96 x 48 pixel image
    // is 1 x 0.5 inch on the page. A capture on a display scaled by 2 holds
    // twice the pixels each way and still prints at its size on screen:
    // 1 x 0.5 inch (192 pixels per inch), not 2 x 1.
    void printedPage_data()
    {
        QTest::addColumn<int>("ratio");
        QTest::newRow("96-dpi display") << 1;
        QTest::newRow("display scaled by 2") << 2;
    }
    void printedPage()
    {
        QFETCH(int, ratio);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setFullPage(true);
        QImage img(96 * ratio, 48 * ratio, QImage::Format_RGB32);
        img.fill(Qt::black);
        img.setDevicePixelRatio(ratio);
        QVERIFY(printImage(printer, img));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.contains("/MediaBox [0 0 595.000000 842.000000]"));
        QCOMPARE(bytes.count("/Type /Page\n"), 1);
        QCOMPARE(imagePpi(pdf), 96 * ratio);
        // 96 x 48 pixels at 96 dpi are 1 x 0.5 inch: 1200 x 600 printer dots.
        QCOMPARE(printedRect(img.deviceIndependentSize(), printer.resolution()),
                 QRectF(0, 0, 1200, 600));
        QCOMPARE(printedRect(QSize(698, 538), 600), QRectF(0, 0, 4362.5, 3362.5));
    }

    // Every point the status chooses is in the workbook, whatever its numbers
    // hold; each of columns A, B, C, E and G holds numbers where the stored
    // text converts (with a number format) and the stored text where not.
    void xlsxEveryChosenPointTyped()
    {
        QTemporaryDir dir;
        const QByteArray bytes =
            "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[Point]\r\nStop_Point=3\r\n"
            "[Protocol_Date]\r\n"
            "Time0=10\r\nFilterN0=1500\r\nFilterC0=31500\r\nSistem_Time0=9:05:07\r\n"
            "liter0=0012,50\r\nTetmo0=+23\r\nStatus_Save0=User Save\r\n"
            "Time1=x\r\nFilterN1=1600\r\nFilterC1=c?\r\nliter1=0013,00\r\nTetmo1=-5\r\n"
            "Status_Save1=User Save\r\n"
            "Time2=30\r\nFilterN2=17O0\r\nliter2=abc\r\nTetmo2=n/a\r\nStatus_Save2=User Save\r\n"
            "Time3=40\r\nFilterN3=1800\r\nliter3=12,5\r\nTetmo3=0\r\nStatus_Save3=User Save\r\n";
        const QString path = write(dir, bytes);
        const QString out = dir.filePath(QStringLiteral("t.xlsx"));
        QVERIFY(writeXlsx(spreadsheetContent(read(path), false, {}, 0), out).isEmpty());
        const auto c = xlsxCells(out);
        const std::pair<const char *, const char *> expected[] = {
            {"A2", "#12.5 0.00"},   {"B2", "#1500 0"},     {"C2", "#10 0"},
            {"D2", "=B2 1500"},     {"E2", "#31500 0"},    {"F2", "9:05:07"},
            {"G2", "#23 +0;-0;0"},  {"H2", "User Save"},   {"A3", "#13 0.00"},
            {"B3", "#1600 0"},      {"C3", "x"},           {"E3", "c?"},
            {"G3", "#-5 +0;-0;0"},  {"A4", "abc"},         {"B4", "17O0"},
            {"C4", "#30 0"},        {"D4", "=B4 0"},       {"E4", "#0 0"},
            {"G4", "n/a"},          {"A5", "#12.5 0.00"},  {"G5", "#0 +0;-0;0"},
        };
        for (const auto &[at, v] : expected)
            QVERIFY2(c.count(at) && c.at(at) == QLatin1String(v),
                     qPrintable(QStringLiteral("%1: %2").arg(at, c.count(at) ? c.at(at) : "-")));
        QVERIFY(!c.count("A6"));

        // The report and the telematics table keep the point whose time does
        // not convert and leave out the two whose N or litres do not, saying so.
        const ExportData d = read(path);
        const ReportContent r = reportContent(d);
        QCOMPARE(r.rows.size(), size_t(3));
        QCOMPARE(r.rows[1], (QStringList{"2", "13", "1600"}));
        QCOMPARE(wlpContent(d, {}, {}, true), QStringLiteral("1500:12:1600:13:1800:12"));
        QCOMPARE(unconvertibleUserPoints(d), std::vector<int>{2});
        QCOMPARE(leftOutNote({2}, 0), QStringLiteral("1 user point(s) left out of the document "
                                                     "(indices 2): their level code or litres "
                                                     "are not numbers."));
        const Run k = kvtool({QStringLiteral("report"), path});
        QCOMPARE(k.code, 0);
        QVERIFY2(k.err.contains(QStringLiteral("note: 1 user point(s) left out")), qPrintable(k.err));
    }

    // Keys found without regard to case, as the opening finds them.
    void keysWithoutRegardToCase()
    {
        QTemporaryDir dir;
        const QString path = write(
            dir, "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\nupdown2=400\r\n"
                 "UPDOWN3=650\r\nsn=123456\r\nlengthprobe=700\r\ncapdac=12\r\nVERSION_H=8\r\n"
                 "downcodecapacyty20=7\r\nUPCODECAPACYTY20=9\r\ntypeprobe=#0065\r\n"
                 "zeroprobelength=12,5000\r\n");
        const ExportData d = read(path);
        const auto m = cellMap(spreadsheetContent(d, false, {}, 0));
        const std::pair<const char *, const char *> expected[] = {
            {"L10", "#400"}, {"L11", "#650"}, {"L12", "#700"}, {"L15", "#12"},     {"L17", "#123456"},
            {"L20", "#7"},   {"L21", "#9"},   {"L22", "A"},    {"L23", "12,5000"}};
        for (const auto &[at, v] : expected)
            QVERIFY2(m.count(at) && m.at(at) == QLatin1String(v),
                     qPrintable(QStringLiteral("%1: %2").arg(at, m.count(at) ? m.at(at) : "-")));
        QCOMPARE(reportContent(d).jobLines[3], QStringLiteral("Объем бака: 400"));
    }

    // A damaged key blocks only a document that reads it.
    void documentsReadOnlyTheirKeys_data()
    {
        QTest::addColumn<QByteArray>("userOption");
        QTest::addColumn<int>("xlsx");
        QTest::addColumn<int>("report");
        QTest::addColumn<int>("wlp");
        QTest::newRow("probe type, stored firmware 5")
            << QByteArray("Version_H=5\r\nTypeProbe=#12x4\r\n") << 0 << 0 << 0;
        QTest::newRow("probe type, stored firmware 8")
            << QByteArray("Version_H=8\r\nTypeProbe=#12x4\r\n") << 5 << 0 << 0;
        QTest::newRow("seal number") << QByteArray("NambePlomb=#12x4\r\n") << 5 << 0 << 0;
        QTest::newRow("representative") << QByteArray("Firma=#12x4\r\n") << 5 << 5 << 0;
    }
    void documentsReadOnlyTheirKeys()
    {
        QFETCH(QByteArray, userOption);
        QTemporaryDir dir;
        const QString path =
            write(dir, "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\n" + userOption +
                           "[Point]\r\nStop_Point=0\r\n[Protocol_Date]\r\nFilterN0=5\r\n"
                           "liter0=1\r\nStatus_Save0=User Save\r\n");
        QTEST(kvtool({QStringLiteral("xlsx"), path}).code, "xlsx");
        QTEST(kvtool({QStringLiteral("report"), path}).code, "report");
        QTEST(kvtool({QStringLiteral("wlp"), path}).code, "wlp");
    }

    // Below Version 100 the workbook shows the Windows-1251 text whole: Ё, №,
    // « » and the other signs of 0x80..0xBF included.
    void xlsxOldProtocolKeepsLetters()
    {
        QTemporaryDir dir;
        const QString path = write(dir, "[Protocol]\r\nMarking=OK\r\nVersion=99\r\n[User_Option]\r\n"
                                        "CompanyName=\xAB\xD1\xE5\xE2\xE5\xF0\xBB \xB9 5\r\n"
                                        "NameUser=\xA8\xEB\xEA\xE8\xED \xB8\r\n");
        const QString out = dir.filePath(QStringLiteral("t.xlsx"));
        QCOMPARE(kvtool({QStringLiteral("xlsx"), path, QStringLiteral("-o"), out}).code, 0);
        const auto c = xlsxCells(out);
        QCOMPARE(c.at("L3"), QStringLiteral("«Север» № 5"));
        QCOMPARE(c.at("L13"), QStringLiteral("Ёлкин ё"));
    }

    // Files where and how the installer expects them.
    void documentFiles()
    {
        QTemporaryDir dir;
        // A long Cyrillic name whose documents fit the file system (251 of its
        // 255 bytes for the .xlsx).
        const QString name = QString(123, QChar(0x0416)) + QStringLiteral(".kvi");
        QCOMPARE(QFile::encodeName(name).size(), 250);
        const QString path = write(dir, protocol(kSpread), name.toUtf8().constData());
        QVERIFY(!path.isEmpty());
        for (const char *command : {"xlsx", "report", "wlp"}) {
            const Run r = kvtool({QLatin1String(command), path});
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QVERIFY(QFile(r.out.trimmed()).size() > 0);
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4); // no leftovers

        // The report's two files under one base name: with tank.odt there,
        // both get " (2)".
        const QString tank = write(dir, protocol(kSpread));
        QCOMPARE(documentPathsBeside(tank, {".odt", ".pdf"}),
                 (QStringList{dir.filePath("tank.odt"), dir.filePath("tank.pdf")}));
        QFile(dir.filePath("tank.odt")).open(QIODevice::WriteOnly);
        QCOMPARE(documentPathsBeside(tank, {".odt", ".pdf"}),
                 (QStringList{dir.filePath("tank (2).odt"), dir.filePath("tank (2).pdf")}));

        // The telematics table in Windows-1251; the level format from the
        // settings (TARNETcb) unless asked for integers.
        const QString wlp = dir.filePath(QStringLiteral("t.wlp"));
        const QStringList args = {QStringLiteral("wlp"),      tank,
                                  QStringLiteral("--prefix"), QStringLiteral("Ёмкость «"),
                                  QStringLiteral("--suffix"), QStringLiteral("» №1"),
                                  QStringLiteral("-o"),       wlp};
        QCOMPARE(kvtool(args).code, 0);
        auto bytes = [&] {
            QFile f(wlp);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QCOMPARE(bytes(), QByteArray("\xA8\xEC\xEA\xEE\xF1\xF2\xFC \xAB"
                                     "0.100:0:0.300:12:0.500:100\xBB \xB9" "1"));
        SettingsStore settings;
        QVERIFY(settings.set(SettingsKeys::TARNETcb, true).ok);
        QCOMPARE(kvtool(args).code, 0);
        QVERIFY(bytes().contains("100:0:300:12:500:100"));
        QVERIFY(settings.set(SettingsKeys::TARNETcb, false).ok);
    }

    // A write the workbook library refuses fails the export: with the
    // autosave points a point at index 1,048,575 would go to row 1,048,577,
    // beyond the sheet's last; no file is left and kvtool says why.
    void xlsxRowBeyondTheSheet()
    {
        QTemporaryDir dir;
        const QString path = write(dir, protocol({{0, "10", "0001,00", "User Save"},
                                                  {1048575, "20", "0002,00", "Auto Save"}}));
        const QString out = dir.filePath(QStringLiteral("all.xlsx"));
        const Run r = kvtool({QStringLiteral("xlsx"), path, QStringLiteral("--autosave-points"),
                              QStringLiteral("-o"), out});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains(QStringLiteral("row 1048577")), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // Without them the user point fits.
        QCOMPARE(kvtool({QStringLiteral("xlsx"), path, QStringLiteral("-o"), out}).code, 0);
    }

    void kvtoolCommands()
    {
        QTemporaryDir dir;
        const QString path = write(dir, protocol(kSpread));
        Run r = kvtool({QStringLiteral("xlsx"), path});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), dir.filePath(QStringLiteral("tank.xlsx")));
        r = kvtool({QStringLiteral("xlsx"), path, QStringLiteral("--autosave-points")});
        QCOMPARE(r.out.trimmed(), dir.filePath(QStringLiteral("tank (2).xlsx")));
        QCOMPARE(xlsxCells(r.out.trimmed()).at("B19"), QStringLiteral("#500 0"));
        r = kvtool({QStringLiteral("report"), path});
        QCOMPARE(r.code, 0);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("tank.odt"))));
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QCOMPARE(kvtool({QStringLiteral("report"), path, QStringLiteral("-o"), pdf}).code, 0);
        QVERIFY(QFile(pdf).size() > 0);
        QCOMPARE(kvtool({QStringLiteral("report"), path, QStringLiteral("-o"), "x.doc"}).code, 2);

        const QString wlp = dir.filePath(QStringLiteral("t.wlp"));
        r = kvtool({QStringLiteral("wlp"), path, QStringLiteral("--integer-levels"),
                    QStringLiteral("--prefix"), QStringLiteral("P"), QStringLiteral("--suffix"),
                    QStringLiteral("S"), QStringLiteral("-o"), wlp});
        QCOMPARE(r.code, 0);
        QFile f(wlp);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("P100:0:300:12:500:100S"));
        // Default prefix and suffix from the settings: the JSON description.
        r = kvtool({QStringLiteral("wlp"), path});
        QFile j(r.out.trimmed());
        QVERIFY(j.open(QIODevice::ReadOnly));
        QVERIFY(j.readAll().startsWith("{\"sensors\":[{\"c\":\"{\\\"appear_in_popup\\\":true}\","
                                       "\"d\":\"|0.100:0:0.300:12:0.500:100\""));

        const QString refused = write(dir, "[Protocol]\r\nMarking=Error\r\n", "r.kvi");
        QCOMPARE(kvtool({QStringLiteral("xlsx"), refused}).code, 4);
        const QString damaged = write(
            dir, "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\nFirma=#12x4\r\n",
            "d.kvi");
        QCOMPARE(kvtool({QStringLiteral("report"), damaged}).code, 5);
        QCOMPARE(kvtool({QStringLiteral("wlp"), dir.filePath("gone.kvi")}).code, 3);
    }
};

QTEST_MAIN(TstExports)
#include "tst_exports.moc"
