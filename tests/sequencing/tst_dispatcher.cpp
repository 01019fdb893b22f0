// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The reply dispatcher and its one-shot chains, run on the simulated clock
// against the VirtualSensor and checked by the frames the sensor heard; and
// what the applied decoders leave on the main window for sensors of each
// firmware generation, including replies with out-of-range field values.

#include "common/dialogs.h"
#include "common/scheduler.h"
#include "common/widgets.h"
#include "link/frame.h"
#include "sensor/decode.h"
#include "sensor/replies.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "sequencing/decode_apply.h"
#include "support/program_harness.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using Commands = QList<quint8>;
Q_DECLARE_METATYPE(Commands)

namespace {

constexpr quint8 READ_PARAM = CommandTable.READ_PARAM;

float floatOf(const QByteArray &bytes, int offset)
{
    quint32 bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= quint32(quint8(bytes.at(offset + i))) << (8 * i);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

} // namespace

class TstDispatcher : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramHarness> m_h;

    ProgramHarness &start(quint8 model, quint8 firmware, quint8 address = 1)
    {
        VirtualSensorOptions o;
        o.model = model;
        o.firmware = firmware;
        o.address = address;
        m_h = std::make_unique<ProgramHarness>(o);
        m_h->start();
        // The probe-type list comes from "FMSParameter.ini" at start-up; without
        // the file it holds the numbers 0 … 7.
        auto *types = child<QComboBox>("cbFMSCALCPARAM");
        if (types->count() == 0)
            types->addItems({"0", "1", "2", "3", "4", "5", "6", "7"});
        m_h->openPortDirectly();
        return *m_h;
    }

    template <class T> T *child(const char *name)
    {
        auto *w = m_h->form().findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("control %s missing", name);
        return w;
    }

    QTabWidget *pageControl() { return child<QTabWidget>("PageControl"); }

    /// Shows a page as the wizard does: its tab made visible and current.
    void showPage(const char *name)
    {
        QTabWidget *pc = pageControl();
        pages::setTabVisible(pc, QString::fromLatin1(name), true);
        pc->setCurrentWidget(pc->findChild<QWidget *>(QString::fromLatin1(name)));
    }

    /// Sends one request and lets every chain it starts run out. Polling
    /// (DATA_READ) is left out of the result: it runs beside the chains.
    Commands run(quint8 address, quint8 command, const QByteArray &data = {}, int ms = 3000)
    {
        // Let a poll that is on the line land first: a request sent while
        // another reply is arriving makes both replies one unusable buffer.
        m_h->clock.advance(50);
        m_h->sensor.clearRequests();
        m_h->form().WriteComand(address, command, data);
        m_h->clock.advance(ms);
        Commands out;
        for (quint8 c : m_h->commandsHeard())
            if (c != CommandTable.DATA_READ)
                out << c;
        return out;
    }

    /// The last frame the sensor heard with this command byte.
    QByteArray lastHeard(quint8 command) const
    {
        const QList<QByteArray> &frames = m_h->sensor.requests();
        for (auto it = frames.rbegin(); it != frames.rend(); ++it)
            if (quint8(it->at(2)) == command)
                return *it;
        return {};
    }

    /// Hands a reply to the frame layer as if it had just arrived.
    void inject(const QByteArray &reply)
    {
        FrameLink &link = m_h->state().link;
        link.ExpectedReplyLength = int(reply.size());
        link.FPortReadPacket(reply.constData(), int(reply.size()), 0);
    }

    bool anyChainTimerRunning()
    {
        for (const Timer *t : m_h->form().chainTimers())
            if (t->enabled())
                return true;
        return false;
    }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    // ---- chains --------------------------------------------------------------

    void identityChain_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QString>("page"); // shown before the second identity read
        QTest::addColumn<Commands>("expected");
        const quint8 P = READ_PARAM, M = CommandTable.READ_SOND_LEN, E = CommandTable.GET_EXT_PARAM,
                     F = CommandTable.GET_FSM_CALC_PARAM, A = CommandTable.GET_AXIS_K,
                     R3 = CommandTable.GET_REP_MODE_3, IA = CommandTable.GET_INCL_LAN_ADR,
                     AZ = CommandTable.GET_AZIMUTH;
        QTest::newRow("fw5 model 1") << 1 << 0x53 << "TabSheet3" << Commands{P, M, E, F, A};
        QTest::newRow("fw5 model 49") << 49 << 0x53 << "TabSheet3" << Commands{P, E, F, A};
        QTest::newRow("fw1 model 1") << 1 << 0x15 << "TabSheet3" << Commands{P, M};
        QTest::newRow("fw4 model 3") << 3 << 0x48 << "TabSheet3" << Commands{P};
        QTest::newRow("fw8.2 information") << 178 << 0x82 << "TabSheet3" << Commands{P, E, F, A};
        QTest::newRow("fw8.3 information")
            << 178 << 0x83 << "TabSheet3" << Commands{P, E, F, A, R3, IA};
        QTest::newRow("fw8.3 general")
            << 178 << 0x83 << "TabSheet1" << Commands{P, E, F, A, R3, IA};
        QTest::newRow("fw8.3 scale") << 178 << 0x83 << "TabSheet6" << Commands{P, E, F, A};
        QTest::newRow("fw8.3 inclinometer")
            << 178 << 0x83 << "TabSheet7" << Commands{P, E, F, A, AZ};
    }

    void identityChain()
    {
        QFETCH(int, model);
        QFETCH(int, firmware);
        QFETCH(QString, page);
        QFETCH(Commands, expected);
        start(quint8(model), quint8(firmware));
        run(BroadcastAddress, READ_PARAM); // first sighting: the wizard starts over
        showPage(page.toLatin1().constData());
        QCOMPARE(run(BroadcastAddress, READ_PARAM), expected);
        QVERIFY(!anyChainTimerRunning());
        QVERIFY(m_h->dialogs.shown().isEmpty());
        // Polling stays off on the general-parameters page only.
        QCOMPARE(m_h->form().timer("TimerReadData")->enabled(), page != "TabSheet1");
    }

    void storedLowReferenceChain_data()
    {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("detecting");
        QTest::addColumn<Commands>("expected");
        const quint8 CAL = CommandTable.READ_CAL_DATA, DAC = CommandTable.SET_CAPDAC_A,
                     OFF = CommandTable.SET_CAPOFF;
        // The CAPDAC write (which re-reads the sensor) and 500 ms later the
        // CAPOFF write; the re-reads between them are the identity chain's.
        // Only a probe-length measurement puts the sensor on its reference
        // offsets; a re-read of the calibration page leaves its zero alone.
        QTest::newRow("fw5, probe detection") << 0x53 << true << Commands{CAL, DAC, OFF};
        QTest::newRow("fw5, a page re-read") << 0x53 << false << Commands{CAL};
        QTest::newRow("fw8") << 0x83 << true << Commands{CAL};
    }

    void storedLowReferenceChain()
    {
        QFETCH(int, firmware);
        QFETCH(bool, detecting);
        QFETCH(Commands, expected);
        ProgramHarness &h = start(1, quint8(firmware));
        h.sensor.registers().refCapdac = 21;
        h.sensor.registers().refCapoff = 0x8001;
        run(BroadcastAddress, READ_PARAM);
        h.state().ProbeDetectActive = detecting;
        Commands offsets; // the reference data and the offset writes, in order
        for (quint8 c : run(1, CommandTable.READ_CAL_DATA))
            if (c == CommandTable.READ_CAL_DATA || c == CommandTable.SET_CAPDAC_A ||
                c == CommandTable.SET_CAPOFF)
                offsets << c;
        QCOMPARE(offsets, expected);
        if (expected.size() > 1) {
            QCOMPARE(lastHeard(CommandTable.SET_CAPDAC_A).mid(3, 1), QByteArray(1, char(21)));
            QCOMPARE(lastHeard(CommandTable.SET_CAPOFF).mid(3, 2), QByteArray("\x01\x80", 2));
        }
    }

    void chainMeetingSilenceStops()
    {
        ProgramHarness &h = start(1, 0x53);
        h.form().WriteComand(BroadcastAddress, READ_PARAM);
        h.clock.advance(50); // identity answered, GET_EXT_PARAM is due in 100 ms
        QVERIFY(h.form().timer("TimerGETEXTPARAM")->enabled() ||
                h.commandsHeard().contains(CommandTable.READ_SOND_LEN));
        h.sensor.faults().silent = true;
        h.sensor.clearRequests();
        h.clock.advance(5000);
        QVERIFY(!anyChainTimerRunning());
        // The request that met the silence is the chain's last: nothing of the
        // chain is tried again; only the watchdog's search for the sensor
        // (identity to 255) and the poll go on.
        int chainRequests = 0;
        for (const QByteArray &f : h.sensor.requests()) {
            const quint8 c = quint8(f.at(2));
            if (c == CommandTable.DATA_READ ||
                (c == READ_PARAM && quint8(f.at(1)) == BroadcastAddress))
                continue;
            ++chainRequests;
            QVERIFY2(c == CommandTable.READ_SOND_LEN || c == CommandTable.GET_EXT_PARAM,
                     qPrintable(QString::number(c, 16)));
        }
        QCOMPARE(chainRequests, 1);
        QVERIFY(h.dialogs.shown().isEmpty());
    }

    void identityDuringAutoCalibrationSendsNothing()
    {
        start(1, 0x53, 7);
        child<QCheckBox>("cbAvtoCalibration")->setChecked(true);
        const int addressBefore = child<QComboBox>("cbSetingAdres")->currentIndex();
        // Within the first poll interval: the polls the identity restarts run
        // search steps, whose writes are not the point here.
        QCOMPARE(run(BroadcastAddress, READ_PARAM, {}, 900), Commands{READ_PARAM});
        // ReadCAPSET and ReadSN ran, Connect did not.
        QCOMPARE(child<QLineEdit>("meSN")->text(), QStringLiteral("123456"));
        QCOMPARE(child<QComboBox>("cbSetingAdres")->currentIndex(), addressBefore);
        QVERIFY(!anyChainTimerRunning());
    }

    void refusedProbeClassStillRereadsAll()
    {
        ProgramHarness &h = start(1, 0x53, 9);
        h.sensor.faults().refused.insert(CommandTable.SET_SOND_LEN);
        const Commands heard = run(9, CommandTable.SET_SOND_LEN, QByteArray(1, '\x02'), 60);
        QCOMPARE(heard.mid(0, 2), (Commands{CommandTable.SET_SOND_LEN, READ_PARAM}));
        QCOMPARE(quint8(lastHeard(READ_PARAM).at(1)), BroadcastAddress);
    }

    void writeResultMessage_data()
    {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("message"); // LangTable index, 0 for none
        const QByteArray two("\x10\x27", 2);
        QTest::newRow("scale fw5") << 0x53 << int(CommandTable.SET_FSM_SCALE) << two << false << 0;
        QTest::newRow("scale fw5 refused")
            << 0x53 << int(CommandTable.SET_FSM_SCALE) << two << true << 0;
        QTest::newRow("scale fw8")
            << 0x83 << int(CommandTable.SET_FSM_SCALE) << two << false << 454;
        QTest::newRow("scale fw8 refused")
            << 0x83 << int(CommandTable.SET_FSM_SCALE) << two << true << 360;
        QTest::newRow("azimuth fw8")
            << 0x83 << int(CommandTable.SET_AZIMUTH) << QByteArray(4, '\0') << false << 454;
        QTest::newRow("mode fw4") << 0x48 << int(CommandTable.SET_AUTO_MODE)
                                  << QByteArray(1, '\x90') << false << 454;
        QTest::newRow("mode refused")
            << 0x53 << int(CommandTable.SET_AUTO_MODE) << QByteArray(1, '\x90') << true << 360;
        QTest::newRow("probe class stored refused")
            << 0x53 << int(CommandTable.SET_SOND_PAR) << QByteArray(1, '\x02') << true << 360;
    }

    void writeResultMessage()
    {
        QFETCH(int, firmware);
        QFETCH(int, command);
        QFETCH(QByteArray, data);
        QFETCH(bool, refused);
        QFETCH(int, message);
        ProgramHarness &h = start(1, quint8(firmware));
        run(BroadcastAddress, READ_PARAM);
        if (refused)
            h.sensor.faults().refused.insert(quint8(command));
        h.form().timer("TimerReadData")->start();
        bool pollingDuringMessage = true;
        h.dialogs.onMessage([&](const ScriptedDialogs::Shown &) {
            pollingDuringMessage = h.form().timer("TimerReadData")->enabled() ||
                                   h.form().timer("TimerStart")->enabled();
        });
        h.dialogs.clear();
        run(1, quint8(command), data, 60);
        if (message == 0) {
            QVERIFY(h.dialogs.shown().isEmpty());
            return;
        }
        QCOMPARE(h.dialogs.messages(), QStringList{h.state().text(message)});
        QVERIFY(!pollingDuringMessage);
        QVERIFY(h.form().timer("TimerStart")->enabled()); // the sensor is read again
    }

    void settingsWriteChain_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<Commands>("expected");
        const quint8 ADDR = CommandTable.SET_ADDR, REP = CommandTable.SET_REP_MODE,
                     AVRG = CommandTable.SET_AVRG_TIME, PER = CommandTable.SET_PERIOD,
                     REP3 = CommandTable.SET_REP_MODE_3, INCL = CommandTable.SET_INCL_LAN_ADR,
                     AUTO = CommandTable.SET_AUTO_MODE;
        QTest::newRow("fw4") << 3 << 0x48 << Commands{ADDR, PER, AUTO};
        QTest::newRow("fw5") << 1 << 0x53 << Commands{ADDR, REP, AVRG, PER, AUTO};
        QTest::newRow("fw8.3") << 178 << 0x83 << Commands{ADDR, REP, AVRG, PER, REP3, INCL, AUTO};
    }

    void settingsWriteChain()
    {
        QFETCH(int, model);
        QFETCH(int, firmware);
        QFETCH(Commands, expected);
        ProgramHarness &h = start(quint8(model), quint8(firmware), 4);
        run(BroadcastAddress, READ_PARAM);
        showPage("TabSheet1");
        child<UpDown>("UpDown3")->setPosition(10);
        child<QLineEdit>("edPeriod")->setText(QStringLiteral("10"));
        child<QSpinBox>("SpinEdit1")->setValue(12);
        child<QCheckBox>("cbModeFreqOut")->setChecked(true);
        h.dialogs.clear();
        // After the message the search identifies the sensor again; the write
        // chain itself ends with SET_AUTO_MODE.
        const Commands heard = run(BroadcastAddress, CommandTable.SET_ADDR, QByteArray(1, '\x04'));
        QCOMPARE(heard.mid(0, heard.indexOf(CommandTable.SET_AUTO_MODE) + 1), expected);
        QCOMPARE(h.dialogs.messages(), QStringList{h.state().text(454)});
        // Request data built from the page.
        QCOMPARE(lastHeard(CommandTable.SET_PERIOD).mid(3, 1), QByteArray(1, '\x09'));
        if (expected.contains(CommandTable.SET_AVRG_TIME)) {
            QCOMPARE(lastHeard(CommandTable.SET_AVRG_TIME).mid(3, 1), QByteArray(1, '\x0C'));
            QCOMPARE(quint8(lastHeard(CommandTable.SET_REP_MODE).at(3)) & 0x01, 1);
            QVERIFY(h.state().sensor.SensorExt.ModeFreqOut);
        }
    }

    void refusedRepModeChangesNothing()
    {
        ProgramHarness &h = start(1, 0x53);
        run(BroadcastAddress, READ_PARAM);
        showPage("TabSheet1");
        child<QCheckBox>("cbModeFreqOut")->setChecked(true);
        child<QCheckBox>("cbSetingProperty")->setChecked(true);
        h.sensor.faults().refused.insert(CommandTable.SET_REP_MODE);
        QCOMPARE(run(1, CommandTable.SET_REP_MODE, QByteArray(1, '\x81')),
                 Commands{CommandTable.SET_REP_MODE});
        QVERIFY(!h.state().sensor.SensorExt.ModeFreqOut);
        QVERIFY(!h.state().sensor.SensorExt.ModeSeting);
        QVERIFY(!anyChainTimerRunning());
        QVERIFY(h.dialogs.shown().isEmpty());
    }

    void scaleWriteChain_data()
    {
        QTest::addColumn<bool>("autoRef");
        QTest::addColumn<Commands>("expected");
        QTest::newRow("fixed reference")
            << false << Commands{CommandTable.SET_FSM_OFFSET, CommandTable.SET_FSM_SCALE};
        QTest::newRow("automatic reference")
            << true << Commands{CommandTable.SET_FSM_OFFSET, CommandTable.SET_FSM_CALC_PARAM};
    }

    void scaleWriteChain()
    {
        QFETCH(bool, autoRef);
        QFETCH(Commands, expected);
        ProgramHarness &h = start(178, 0x83);
        h.sensor.registers().permix = std::numeric_limits<float>::quiet_NaN();
        h.sensor.registers().fsmCoef[3] = std::numeric_limits<float>::infinity();
        run(BroadcastAddress, READ_PARAM);
        child<QSpinBox>("seFSMOffset")->setValue(1234);
        child<QSpinBox>("seFSMScale")->setValue(54321);
        child<QRadioButton>(autoRef ? "rbFRMAutoRef" : "rbFRMRef")->setChecked(true);
        // After the write-result message the search re-reads the sensor; the
        // chain itself is what comes before that identity read.
        const Commands heard = run(1, CommandTable.SET_FSM_OFFSET, QByteArray("\x01\x02", 2));
        QCOMPARE(heard.mid(0, heard.indexOf(READ_PARAM)), expected);
        QCOMPARE(h.dialogs.messages().size(), 1);
        if (!autoRef) {
            QCOMPARE(lastHeard(CommandTable.SET_FSM_SCALE).mid(3, 2), QByteArray("\x31\xD4", 2));
            return;
        }
        // 37 bytes: type, permix, eight coefficients; the damaged values read
        // from the sensor go back as 0, never as NaN or infinity.
        const QByteArray d = lastHeard(CommandTable.SET_FSM_CALC_PARAM).mid(3, 37);
        QCOMPARE(d.size(), 37);
        QCOMPARE(floatOf(d, 1), 0.0f);
        QCOMPARE(floatOf(d, 1 + 4 * 4), 0.0f);   // coefficient 3
        QCOMPARE(floatOf(d, 1 + 4 * 1), 1.725f); // coefficient 0
        QCOMPARE(child<QLineEdit>("mePermix")->displayText(), QStringLiteral("00,00"));
    }

    void scaleEditorsAfterExtParam()
    {
        ProgramHarness &h = start(49, 0x53);
        h.sensor.registers().outputMode = 0x90; // 12 bit
        h.sensor.registers().fsmOffset = 0;
        h.sensor.registers().fsmScale = 65535;
        run(BroadcastAddress, READ_PARAM);
        QCOMPARE(child<QSpinBox>("seDownVal")->value(), 65535);
        QCOMPARE(child<QSpinBox>("seDownNCode")->value(), 4095);
        QCOMPARE(child<QSpinBox>("seDownInterRest")->value(), 100);
        QCOMPARE(child<QSpinBox>("seDownFreq")->value(), 1500);
        QCOMPARE(child<QSpinBox>("seUpFreq")->value(), 500);
        QVERIFY(!child<QToolButton>("sbFullTanck")->isChecked());
    }

    void endOfChunkShowsTheSensorAnswers()
    {
        ProgramHarness &h = start(1, 0x53);
        h.form().timer("TimerReset")->start();
        // Half a reply completes nothing but still counts as an answer.
        const QByteArray reply = replyWith(CommandTable.DATA_READ, {{4, 0x19}});
        h.state().link.ExpectedReplyLength = int(reply.size());
        h.state().link.FPortReadPacket(reply.constData(), 4, 0);
        QVERIFY(!h.form().timer("TimerReset")->enabled());
        QVERIFY(child<QTabWidget>("PageControl")->isVisibleTo(&h.form()));
        QVERIFY(!child<QWidget>("GroupBox5")->isVisibleTo(&h.form()));
        QVERIFY(h.state().sensor.SensorParam.FlagNewWrite);
    }

    // ---- the window after an identity read -------------------------------------

    void windowForFirmware_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("restricted");
        QTest::addColumn<int>("resolutionItems");
        QTest::addColumn<QString>("probeClass"); // cbFlesh text after READ_SOND_LEN
        QTest::newRow("fw1 model 1") << 1 << 0x15 << "v.1.5"
                                     << "QMA-10" << false << 2 << "530";
        QTest::newRow("fw4 model 2") << 2 << 0x4A << "v.4.10"
                                     << "QMB-10" << false << 2 << "530";
        QTest::newRow("fw5 model 1") << 1 << 0x53 << "v.5.3"
                                     << "QMA-10" << false << 2 << "530";
        QTest::newRow("fw5 model 49") << 49 << 0x53 << "v.5.3"
                                      << "QMA-23" << true << 2 << "";
        QTest::newRow("fw8.3 model 178") << 178 << 0x83 << "v.8.3"
                                         << "VG3" << true << 4 << "";
    }

    // The two-address note as the firmware rule has it, for the full-featured
    // heads too; the note of the sensor before never stays standing.
    void twoAddressNote_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("shown");
        QTest::newRow("model 1 fw8.2") << 1 << 0x82 << true;
        QTest::newRow("model 1 fw8.3") << 1 << 0x83 << false;
        QTest::newRow("model 2 fw5.3") << 2 << 0x53 << false;
        QTest::newRow("model 182 fw8.2") << 182 << 0x82 << true;
        QTest::newRow("model 49 fw8.2") << 49 << 0x82 << false;
    }
    void twoAddressNote()
    {
        QFETCH(int, model);
        QFETCH(int, firmware);
        QFETCH(bool, shown);
        ProgramHarness &h = start(181, 0x82); // a two-address head with its note
        run(BroadcastAddress, READ_PARAM);
        QVERIFY(!child<QWidget>("Label97")->isHidden());
        h.sensor.registers().model = quint8(model);
        h.sensor.registers().firmware = quint8(firmware);
        run(BroadcastAddress, READ_PARAM);
        QCOMPARE(!child<QWidget>("Label97")->isHidden(), shown);
    }

    void windowForFirmware()
    {
        QFETCH(int, model);
        QFETCH(int, firmware);
        QFETCH(QString, version);
        QFETCH(QString, type);
        QFETCH(bool, restricted);
        QFETCH(int, resolutionItems);
        QFETCH(QString, probeClass);
        ProgramHarness &h = start(quint8(model), quint8(firmware), 3);
        SensorRegisters &reg = h.sensor.registers();
        reg.capdac = 7;
        reg.capoff = 12345;
        reg.periodCode = 4;
        reg.outputMode = 0x8D; // 12 bit, 9600 bit/s, periodic output, averaging on
        reg.extMode = 0x42;    // full-scale mode, automatic reference
        reg.averagingTime = 10;
        reg.azimuth = 180.0f;
        reg.repMode3 = 0x41; // 16 bit with the 12-bit mode byte, inclinometer output off
        reg.inclAddress = 5;
        run(BroadcastAddress, READ_PARAM);

        QCOMPARE(child<QLineEdit>("edVersionPo")->text(), version);
        QCOMPARE(child<QLineEdit>("edType")->text(), type);
        QCOMPARE(child<QLineEdit>("meSN")->text(), QStringLiteral("123456"));
        QCOMPARE(child<QDateEdit>("DateTimePicker")->date(), QDate(2023, 5, 17));
        QCOMPARE(child<QLineEdit>("meCAPDAC")->text(), QStringLiteral("07"));
        QCOMPARE(child<QLineEdit>("meCAPOFF")->text(), QStringLiteral("12345"));
        QCOMPARE(child<QComboBox>("cbSetingAdres")->currentIndex(), 3);
        QCOMPARE(child<QComboBox>("cbSpeedUart")->currentText(), QStringLiteral("9600"));
        QVERIFY(child<QCheckBox>("cbPeriod")->isChecked());
        QVERIFY(child<QLineEdit>("edPeriod")->isEnabled());
        QCOMPARE(child<QLineEdit>("edPeriod")->text(), QStringLiteral("5"));
        QVERIFY(child<QCheckBox>("cbCenter")->isChecked());
        QCOMPARE(h.state().link.RestrictedCommands, restricted);
        QCOMPARE(child<QWidget>("edRefNull")->isHidden(), restricted);
        QCOMPARE(child<RadioGroupBox>("RadioGroup")->count(), resolutionItems);
        // The version and model rules for the settings controls.
        QCOMPARE(child<QWidget>("edFreq")->isHidden(), (firmware >> 4) < 5);
        QCOMPARE(child<QWidget>("cbConfigPort")->isEnabled(), model == 178);
        QVERIFY(child<QWidget>("Label97")->isHidden());
        QCOMPARE(child<QWidget>("Panel19")->isHidden(), resolutionItems != 4);
        // A new sensor starts the wizard on the information page alone.
        QCOMPARE(pages::visibleNames(pageControl()), QStringList{"TabSheet3"});
        QCOMPARE(pageControl()->currentWidget()->objectName(), QStringLiteral("TabSheet3"));
        if (!probeClass.isEmpty())
            QVERIFY(child<QComboBox>("cbFlesh")->currentText().startsWith(probeClass));

        const int major = firmware >> 4;
        if (major >= 5) {
            QCOMPARE(child<QSpinBox>("SpinEdit1")->value(), 10);
            QVERIFY(child<QCheckBox>("cbModeFSM")->isChecked());
            QVERIFY(child<QRadioButton>("rbFRMAutoRef")->isChecked());
            QVERIFY(!child<QRadioButton>("rbFRMRef")->isChecked());
            QVERIFY(h.state().sensor.FsmAutoRef);
            QCOMPARE(child<QSpinBox>("seFSMScale")->value(), 46000);
            QVERIFY(child<QToolButton>("sbFullTanck")->isChecked());
            QCOMPARE(child<QToolButton>("sbFullTanck")->text(), QStringLiteral("46000"));
            QCOMPARE(child<QLineEdit>("mePermix")->displayText(), QStringLiteral("02,10"));
            QCOMPARE(child<QComboBox>("cbFMSCALCPARAM")->currentIndex(), 0);
        }
        if (resolutionItems == 4) {
            QCOMPARE(child<RadioGroupBox>("RadioGroup")->itemIndex(), 3);
            QCOMPARE(h.state().sensor.SensorParam.DigitData, QStringLiteral("16"));
            QVERIFY(!child<QCheckBox>("cbModeIncl")->isChecked());
            QVERIFY(!child<QComboBox>("cbVisableIncAdr")->isEnabled());
            QCOMPARE(child<QComboBox>("cbVisableIncAdr")->currentIndex(), 5);
            QCOMPARE(child<QLineEdit>("meZeroLen")->displayText(), QStringLiteral("01,7250"));
            // The azimuth is read on the inclinometer page only.
            showPage("TabSheet7");
            run(3, READ_PARAM);
            QCOMPARE(child<QLineEdit>("meAzz")->displayText(), QStringLiteral("180,0"));
            QCOMPARE(child<UpDown>("udAzz")->position(), 1800);
        } else {
            QCOMPARE(child<RadioGroupBox>("RadioGroup")->itemIndex(), 1);
        }
    }

    void sameSensorKeepsPagesOtherSensorHidesThem()
    {
        ProgramHarness &h = start(1, 0x53);
        run(BroadcastAddress, READ_PARAM);
        showPage("TabSheet1");
        showPage("TabSheet2");
        h.state().CurrentProtocolFile = QStringLiteral("/tmp/a.kvi");
        run(BroadcastAddress, READ_PARAM);
        QCOMPARE(pages::visibleNames(pageControl()),
                 (QStringList{"TabSheet3", "TabSheet1", "TabSheet2"}));
        QCOMPARE(h.state().CurrentProtocolFile, QStringLiteral("/tmp/a.kvi"));

        h.sensor.registers().model = 49;
        run(BroadcastAddress, READ_PARAM);
        QCOMPARE(pages::visibleNames(pageControl()), QStringList{"TabSheet3"});
        QVERIFY(h.state().CurrentProtocolFile.isEmpty());
    }

    void liveDataOnTheWindow()
    {
        ProgramHarness &h = start(1, 0x53);
        h.sensor.registers().temperature = -5;
        run(1, CommandTable.DATA_READ, {}, 60);
        QCOMPARE(child<QLabel>("lbT")->text(), QStringLiteral("-5"));
        QCOMPARE(child<UpDown>("UpDown2")->position(), -5);
        const int c = h.state().sensor.SensorParam.Val_C;
        QCOMPARE(child<QLineEdit>("edCCod")->text(), QString::number(c));
        QCOMPARE(h.state().CalMeasuredC, c);
        QCOMPARE(child<QLineEdit>("edFreq")->text(),
                 QString::number(int(std::floor(c / 65.535 + 500))));
        QCOMPARE(child<QLabel>("lbN")->text(),
                 QStringLiteral("N = %1").arg(h.state().sensor.SensorParam.Val_N));
        QCOMPARE(h.state().LevelCode, h.state().sensor.SensorParam.Val_N);
        QVERIFY(!h.state().link.CrcError);
    }

    // ---- out-of-range field values -------------------------------------------

    void outOfRangeReplies()
    {
        ProgramHarness &h = start(1, 0x53);
        run(BroadcastAddress, READ_PARAM);

        // Month and day 0xFF are capped: 31 December.
        inject(replyWith(
            READ_PARAM, {{4, 23}, {5, 0xFF}, {6, 0xFF}, {10, 1}, {11, 0x53}, {18, 1}, {21, 0xFF}}));
        QCOMPARE(child<QDateEdit>("DateTimePicker")->date(), QDate(2023, 12, 31));

        // Probe code 9: no class selected, "n/a" stored.
        inject(replyWith(CommandTable.READ_SOND_LEN, {{4, 9}}));
        QCOMPARE(child<QComboBox>("cbFlesh")->currentIndex(), -1);
        QCOMPARE(h.state().sensor.SensorParam.SondLen, h.state().text(Txt::NotAvailable));

        // Mode index 200 and a NaN permix: the list keeps a valid item, permix shows 0.
        auto *types = child<QComboBox>("cbFMSCALCPARAM");
        types->setCurrentIndex(2);
        QByteArray fsm = replyWith(CommandTable.GET_FSM_CALC_PARAM, {{4, 200}});
        putFloat(fsm, 5, std::numeric_limits<float>::quiet_NaN());
        putFloat(fsm, 9 + 4 * 2, std::numeric_limits<float>::infinity());
        inject(fsm);
        QCOMPARE(types->currentIndex(), 2);
        QCOMPARE(child<UpDown>("udPermix")->position(), 0);
        QCOMPARE(child<QLineEdit>("mePermix")->displayText(), QStringLiteral("00,00"));
        QCOMPARE(h.state().sensor.FsmPermix, 0.0f);
        QCOMPARE(child<UpDown>("udZeroLen")->position(), 0);

        // Averaging time 255 and inclinometer address 255 stay within their controls.
        inject(replyWith(CommandTable.GET_EXT_PARAM, {{11, 255}}));
        QCOMPARE(child<QSpinBox>("SpinEdit1")->value(), 128);
        inject(replyWith(CommandTable.GET_INCL_LAN_ADR, {{4, 255}}));
        QCOMPARE(child<QComboBox>("cbVisableIncAdr")->currentIndex(), -1);
        // A third mode byte on a sensor with two resolution choices keeps one checked.
        inject(replyWith(CommandTable.GET_REP_MODE_3, {{4, 0x01}}));
        QVERIFY(child<RadioGroupBox>("RadioGroup")->itemIndex() >= 0);
    }

    // ---- page order --------------------------------------------------------

    void pageOrderUsesTheListedPlaces()
    {
        QTabWidget tabs;
        for (const char *name : {"A", "B", "C", "D", "E"}) {
            auto *w = new QWidget;
            w->setObjectName(QString::fromLatin1(name));
            tabs.addTab(w, QString::fromLatin1(name));
        }
        tabs.setTabVisible(3, false); // D
        tabs.setCurrentIndex(1);      // B
        pages::applyOrder(&tabs, {"D", "B", "X"});
        QStringList order;
        for (int i = 0; i < tabs.count(); ++i)
            order << tabs.widget(i)->objectName();
        QCOMPARE(order, (QStringList{"A", "D", "C", "B", "E"}));
        QCOMPARE(pages::visibleNames(&tabs), (QStringList{"A", "C", "B", "E"}));
        QCOMPARE(tabs.currentWidget()->objectName(), QStringLiteral("B"));
        QCOMPARE(pages::visibleIndex(&tabs), 2);
    }
};

QTEST_MAIN(TstDispatcher)
#include "tst_dispatcher.moc"
