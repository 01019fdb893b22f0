// The documents of a protocol, from independently written protocol files:
// the workbook's cells (and the .xlsx read back by unzipping its XML), the
// report (its .odt XML and its PDF), the telematics table, the printout, and
// kvtool's three commands with their exit statuses.

#include "export/protocol_export.h"
#include "export/report_writer.h"
#include "export/spreadsheet_writer.h"

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
    const QString path = dir.filePath(QLatin1String(name));
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

QByteArray unzip(const QString &archive, const QString &member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    p.waitForFinished(-1);
    return p.readAllStandardOutput();
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
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

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
        QCOMPARE(m.at("A3"), QStringLiteral("0012,50"));
        QCOMPARE(m.at("C3"), QStringLiteral("#90"));
        QCOMPARE(m.at("E2"), QStringLiteral("#3100"));
        QCOMPARE(m.at("G2"), QStringLiteral("+23"));
        QCOMPARE(m.at("H4"), QStringLiteral("User Save"));
        QVERIFY(!m.count("B5"));
        // The general block.
        QCOMPARE(m.at("I3"), QStringLiteral("Company name"));
        QCOMPARE(m.at("L3"), QStringLiteral("ООО Бак"));
        QCOMPARE(m.at("L10"), QStringLiteral("#400"));
        QCOMPARE(m.at("L12"), QStringLiteral("#700"));
        QCOMPARE(m.at("I17"), QStringLiteral("SN:"));
        QCOMPARE(m.at("L17"), QStringLiteral("#123456"));
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
        QCOMPARE(m.at("I20"), QStringLiteral("Start of scale. The code capacitance, C"));
        QCOMPARE(m.at("I21"), QStringLiteral("The end of the scale. The code capacitance, C"));
        QCOMPARE(m.at("I24"), QStringLiteral("Permix Fuel"));
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
        QVERIFY2(sheet.contains("<c r=\"D3\"><f>B3</f><v>300</v></c>"), sheet.constData());
        QVERIFY(sheet.contains("<c r=\"B2\"><v>100</v></c>"));
        QVERIFY(sheet.contains("<col min=\"1\" max=\"1\" width=\"23.140625\" customWidth=\"1\"/>"));
        QVERIFY(sheet.contains("<col min=\"4\" max=\"4\" width=\"0.140625\" customWidth=\"1\"/>"));
        const QByteArray strings = unzip(out, QStringLiteral("xl/sharedStrings.xml"));
        QVERIFY(strings.contains("<t>0012,50</t>"));
        QVERIFY(strings.contains(QStringLiteral("<t>ООО Бак</t>").toUtf8()));
        // A folder that cannot be written: the reason, and no file.
        QVERIFY(!writeXlsx({}, dir.filePath(QStringLiteral("no/such/dir/x.xlsx"))).isEmpty());
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

        const QString pdf = dir.filePath(QStringLiteral("tank.pdf"));
        QVERIFY(writeReport(r, pdf).isEmpty());
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page/") + bytes.count("/Type /Page "),
                 1);
        QVERIFY(bytes.contains("/MediaBox [0 0 595.000000 842.000000]"));
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
    // is 1 x 0.5 inch on the page.
    void printedPage()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setFullPage(true);
        QImage img(96, 48, QImage::Format_RGB32);
        img.fill(Qt::black);
        QVERIFY(printImage(printer, img));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.contains("/MediaBox [0 0 595.000000 842.000000]"));
        QCOMPARE(bytes.count("/Type /Page\n"), 1);
        // 96 x 48 pixels at 96 dpi are 1 x 0.5 inch: 1200 x 600 printer dots.
        QCOMPARE(printedRect(img.size(), printer.resolution()), QRectF(0, 0, 1200, 600));
        QCOMPARE(printedRect(QSize(698, 538), 600), QRectF(0, 0, 4362.5, 3362.5));
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
        QVERIFY(unzip(r.out.trimmed(), QStringLiteral("xl/worksheets/sheet1.xml"))
                    .contains("<c r=\"B19\"><v>500</v></c>"));
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
