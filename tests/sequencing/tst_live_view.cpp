// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The information page's refresh: live values, litres through a protocol
// opened from disk, the protocol marker, and the enabled state of the scale
// controls it keeps in line with their modes.

#include "common/widgets.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "support/program_harness.h"
#include "tank/protocol_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {
// One point of a recording: (index, N, litres, user-saved?).
struct Point {
    int index;
    qint32 n;
    double litres;
    bool user;
};
} // namespace

Q_DECLARE_METATYPE(QList<Point>)

class TstLiveView : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramHarness> m_h;
    TForm1 *m_form = nullptr;

    template <class T = QWidget> T *child(const char *name)
    {
        auto *w = m_form->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("control %s missing", name);
        return w;
    }
    QString label(const char *name) { return child<QLabel>(name)->text(); }
    bool red(const char *name)
    {
        return child(name)->palette().color(QPalette::WindowText) == QColor(Qt::red);
    }

    void startProgram(int Lang = LangEnglish)
    {
        m_h = std::make_unique<ProgramHarness>();
        m_h->start();
        m_form = &m_h->form();
        m_h->state().Lang = Lang;
        m_form->timer(QStringLiteral("TimerWriteDataParam"))->start();
    }
    void tick() { m_h->clock.advance(500); }

    // A protocol written point by point as a recording does, then opened.
    void openProtocol(const QList<Point> &points)
    {
        const QString path = m_h->dir.filePath(QStringLiteral("tank.kvi"));
        ProtocolFile file(path);
        TDateProtokol &data = m_h->state().ProtocolData;
        QVERIFY(file.create(data).ok());
        std::vector<std::pair<int, PointKeys>> keys;
        for (const Point &p : points) {
            const QString litres = m_h->state().number.format("%07.2f", p.litres);
            keys.push_back(
                {p.index, PointKeys::make(p.index * 10, p.n, p.n * 10, QStringLiteral("10:00:00"),
                                          litres, QStringLiteral("20"),
                                          p.user ? Protocol::kUserSave : Protocol::kAutoSave)});
        }
        QVERIFY(file.writePoints(keys).ok());
        GeneralData general;
        PointsRead read;
        const ProtocolStatus opened = file.open(data, general, read);
        QVERIFY2(opened.ok(), qPrintable(opened.text));
        m_h->state().CurrentProtocolFile = path;
    }

private Q_SLOTS:
    void cleanup()
    {
        m_h.reset();
        m_form = nullptr;
    }

    // No protocol: litres and probe length "n/a" in red, no diagram, and the
    // filling against the bit width's full scale.
    void withoutProtocol_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<QString>("noData");
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("off");
        QTest::newRow("English") << int(LangEnglish) << "n/a"
                                 << "On"
                                 << "Off";
        QTest::newRow("Russian") << int(LangRussian) << "н.д."
                                 << "Вкл."
                                 << "Выкл.";
    }
    void withoutProtocol()
    {
        QFETCH(int, lang);
        QFETCH(QString, noData);
        QFETCH(QString, on);
        QFETCH(QString, off);
        startProgram(lang);
        TParamKV &p = m_h->state().sensor.SensorParam;
        p.DigitData = QStringLiteral("12");
        p.Val_N = 2048;
        p.Val_C = 31000;
        p.NETADDR = 7;
        p.SondLen = QStringLiteral("440");
        p.Centre = true;
        p.FormatDate = false;
        tick();

        QCOMPARE(label("Label38"), noData);
        QCOMPARE(label("Label45"), noData);
        QVERIFY(red("Label38"));
        QVERIFY(red("Label45"));
        QVERIFY(!child("bbOpenDiagram1")->isEnabled());
        QVERIFY(child("GroupBox12")
                    ->toolTip()
                    .startsWith(lang == LangEnglish ? "The protocol is not loaded"
                                                    : "Протокол не загружен"));
        QCOMPARE(label("Label54"), QStringLiteral("50%"));
        QCOMPARE(child<Gauge>("Gauge3")->maximum(), 4095);
        QCOMPARE(child<Gauge>("Gauge3")->progress(), 2048);
        QCOMPARE(child<Gauge>("Gauge4")->progress(), 31000);
        QCOMPARE(label("Label37"), QStringLiteral("2048"));
        QCOMPARE(label("Label36"), QStringLiteral("31000"));
        QCOMPARE(label("Label96"), QStringLiteral("31000"));
        QCOMPARE(label("Label48"), QStringLiteral("7"));
        QCOMPARE(label("Label49"), QStringLiteral("12"));
        QCOMPARE(label("Label44"), QStringLiteral("440"));
        QCOMPARE(label("Label68"), on);
        QCOMPARE(label("Label42"), off);

        // The values follow the records at the next tick; a pressed tank
        // button keeps the code it captured.
        child<QToolButton>("sbFullTanck")->setChecked(true);
        child<QToolButton>("sbFullTanck")->setText(QStringLiteral("31000"));
        p.Val_C = 32000;
        p.Val_N = 4095;
        tick();
        QCOMPARE(label("Label36"), QStringLiteral("32000"));
        QCOMPARE(label("Label54"), QStringLiteral("100%"));
        QCOMPARE(child<QToolButton>("sbFullTanck")->text(), QStringLiteral("31000"));
        QCOMPARE(child<QToolButton>("sbZeroTanck")->text(), QStringLiteral("32000"));
    }

    // Litres through a protocol opened from disk.
    void withProtocol_data()
    {
        QTest::addColumn<QList<Point>>("points");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("litres");
        QTest::addColumn<QString>("percent");
        const QList<Point> three = {{0, 100, 0, true}, {1, 300, 40, true}, {2, 500, 100, true}};
        QTest::newRow("between points") << three << 400 << "70,0"
                                        << "80%";
        QTest::newRow("at a point: the segment above") << three << 300 << "40,0"
                                                       << "60%";
        QTest::newRow("above the last point") << three << 600 << "n/a"
                                              << "120%";
        QTest::newRow("below the first point") << three << 50 << "n/a"
                                               << "10%";
        // A recording: level steps saved automatically between two user points.
        QList<Point> recording = {
            {0, 40, 0, false}, {1, 60, 0, false}, {2, 80, 0, false}, {3, 100, 0, true}};
        for (int i = 4; i < 9; ++i)
            recording << Point{i, qint32(100 + 30 * (i - 3)), 0, false};
        recording << Point{9, 300, 40, true};
        QTest::newRow("user points apart") << recording << 200 << "20,0"
                                           << "66%";
    }
    void withProtocol()
    {
        QFETCH(QList<Point>, points);
        QFETCH(int, n);
        QFETCH(QString, litres);
        QFETCH(QString, percent);
        startProgram();
        openProtocol(points);
        m_h->state().sensor.SensorParam.Val_N = n;
        m_h->state().sensor.SensorParam.DigitData = QStringLiteral("12");
        tick();
        QCOMPARE(label("Label38"), litres);
        QCOMPARE(label("Label54"), percent);
        QVERIFY(!red("Label38"));
        QVERIFY(!red("Label45"));
        QVERIFY(child("bbOpenDiagram1")->isEnabled());
    }

    // A protocol that is no longer open (another sensor was connected) gives
    // neither litres nor its probe length.
    void closedProtocolShowsNothing()
    {
        startProgram();
        openProtocol({{0, 100, 0, true}, {1, 300, 40, true}});
        m_h->state().ProtocolData.LengthProbe = QStringLiteral("412");
        m_h->state().sensor.SensorParam.Val_N = 200;
        tick();
        QCOMPARE(label("Label38"), QStringLiteral("20,0"));
        QCOMPARE(label("Label45"), QStringLiteral("412"));
        m_h->state().CurrentProtocolFile.clear();
        tick();
        QCOMPARE(label("Label38"), QStringLiteral("n/a"));
        QCOMPARE(label("Label45"), QStringLiteral("n/a"));
        QVERIFY(red("Label38"));
    }

    // With the HUB or the setup mode on, every output-scale control is off,
    // whatever the radio buttons say; otherwise the reference mode decides.
    void outputScaleControls_data()
    {
        QTest::addColumn<bool>("hub");
        QTest::addColumn<bool>("setup");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("HUB, manual reference") << true << false << false;
        QTest::newRow("HUB, automatic reference") << true << false << true;
        QTest::newRow("setup mode") << false << true << true;
        QTest::newRow("manual reference") << false << false << false;
        QTest::newRow("automatic reference") << false << false << true;
    }
    void outputScaleControls()
    {
        QFETCH(bool, hub);
        QFETCH(bool, setup);
        QFETCH(bool, automatic);
        startProgram();
        child<QRadioButton>(automatic ? "rbFRMAutoRef" : "rbFRMRef")->setChecked(true);
        child<QCheckBox>("cbHUBonOff")->setChecked(hub);
        child<QCheckBox>("cbModeFSM")->setChecked(setup);
        tick();
        const bool locked = hub || setup;
        for (const char *n : {"Label84", "seFSMOffset", "BitBtn15", "rbFRMRef", "rbFRMAutoRef",
                              "BitBtn17", "BitBtn18"})
            QVERIFY2(child(n)->isEnabled() == !locked, n);
        for (const char *n : {"Label88", "seFSMScale", "BitBtn16"})
            QVERIFY2(child(n)->isEnabled() == (!locked && !automatic), n);
        for (const char *n : {"Label86", "cbFMSCALCPARAM", "Label85", "meZeroLen", "Label87",
                              "mePermix", "udZeroLen", "udPermix"})
            QVERIFY2(child(n)->isEnabled() == (!locked && automatic), n);
    }

    // The full-scale mode locks the scale ends; the scale-setting mode locks
    // the zero setting and the probe class.
    void modeButtons()
    {
        startProgram();
        auto *fullScale = child<QToolButton>("SpeedButton1");
        auto *setupMode = child<QToolButton>("sbModeFSM");
        child<QComboBox>("cbFlesh")->setCurrentIndex(7);
        fullScale->setChecked(true);
        setupMode->setChecked(true);
        tick();
        QVERIFY(!child("seUpVal")->isEnabled());
        QVERIFY(!child("BitBtn14")->isEnabled());
        QCOMPARE(fullScale->text(), QStringLiteral("Off. The regime of full scale"));
        QVERIFY(!child("cbFlesh")->isEnabled());
        QVERIFY(!child("UpDownCAPOFF")->isEnabled());
        fullScale->setChecked(false);
        setupMode->setChecked(false);
        tick();
        QVERIFY(child("seUpVal")->isEnabled());
        QVERIFY(child("BitBtn14")->isEnabled());
        QCOMPARE(setupMode->text(), QStringLiteral("On. The regime of full scale"));
        QVERIFY(child("cbFlesh")->isEnabled());
        QVERIFY(child("UpDownCAPOFF")->isEnabled()); // a user probe class
        child<QComboBox>("cbFlesh")->setCurrentIndex(3);
        tick();
        QVERIFY(!child("UpDownCAPOFF")->isEnabled());
    }
};

QTEST_MAIN(TstLiveView)
#include "tst_live_view.moc"
