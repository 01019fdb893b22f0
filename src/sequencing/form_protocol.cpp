// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: Protocol selection, protocol general data and the start of a tank
// calibration: what creating and opening a protocol do to the main window, the
// job page's "Далее" and the remembered names, the calibration start, and the
// wiring of the calibration and protocol-selection windows. The handlers are
// connected in TForm1::connectHandlers().

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "link/frame.h"
#include "shell/AvtoSave_U.h"
#include "shell/settings_store.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/Protocol_Options_U.h"
#include "tank/general_data.h"
#include "tank/protocol_codec.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

void TForm1::bbOpenDiagram1Click()
{
    if (m_windows.calibration && !m_state.CurrentProtocolFile.isEmpty())
        m_windows.calibration->showViewOnly(m_state.CurrentProtocolFile);
}

void TForm1::wireCalibrationWindow()
{
    TForm5 *w = m_windows.calibration;
    if (!w) {
        m_monitoring = {};
        return;
    }
    setMonitoringWindow({[w] { return w->isVisible(); }, [w] { return w->playing(); }});
    TForm5::Host host;
    host.sample = [this](qint32 n) {
        return Recording::Sample{n, m_state.ReadingC, statusPanel(3)->text(),
                                 ui->edTetmo1->text()};
    };
    host.resolutionTop = [this] {
        static const int tops[] = {1024, 4095, 16383, 65535};
        const int i = ui->RadioGroup->itemIndex();
        return i >= 0 && i < 4 ? tops[i] : 4095;
    };
    host.autosave = [this]() -> std::pair<bool, int> {
        if (!m_windows.settings)
            return {false, 5};
        return {m_windows.settings->avtoSaveIndex() == 0, m_windows.settings->avtoSaveConstant()};
    };
    host.pollEverySecond = [this] { TimerReadData.setInterval(1000); };
    host.setMainEnabled = [this](bool on) { setEnabled(on); };
    host.calibrationClosed = [this] { CalibrationWindowClosed(); };
    host.exportSpreadsheet = [this] { N6Click(); };
    host.protocolClosed = [this] { m_state.CurrentProtocolFile.clear(); };
    host.tankVolume = [this] { return ui->UpDown5->position(); };
    host.reopen = [this] {
        // The open protocol becomes entry 0 of the recent list and is opened
        // again, so the calibration table, the counters and the fields follow
        // the changed file. The pages stay as the calibration left them.
        if (!m_windows.protocols || m_state.CurrentProtocolFile.isEmpty())
            return;
        const bool settingsPage = ui->TabSheet1->isEnabled();
        const bool calibrationPage = ui->TabSheet2->isEnabled();
        m_windows.protocols->openAsFirstEntry(m_state.CurrentProtocolFile);
        ui->TabSheet1->setEnabled(settingsPage);
        ui->TabSheet2->setEnabled(calibrationPage);
    };
    w->setHost(std::move(host));
}

void TForm1::CalibrationWindowClosed()
{
    for (QWidget *page : {ui->TabSheet1, ui->TabSheet2, ui->TabSheet3, ui->TabSheet4})
        page->setEnabled(true);
    setEnabled(true);
    show();
    activateWindow();
    COM2Click();
    clearJobTexts();
}

void TForm1::clearJobTexts()
{
    for (QLineEdit *e : {ui->edCompanyName, ui->edFirma, ui->edNamberMashine})
        e->clear();
    // The texts go, the drop-down lists stay.
    for (QComboBox *c :
         {ui->cbNameUser, ui->cbNameMashine, ui->cbProizvMashine, ui->cbTypeMashine}) {
        if (c->isEditable())
            c->setEditText(QString());
        else
            c->setCurrentIndex(-1);
    }
}

// ---- protocol selection

void TForm1::N14Click()
{
    if (!m_windows.protocols)
        return;
    // A calibration window still up is closed the way its close box does it
    // (no end pair; the pages come back, the recording stops), so neither a
    // hidden recording nor disabled pages outlive the change of protocol.
    if (m_windows.calibration && m_windows.calibration->isVisible())
        m_windows.calibration->close();
    m_windows.protocols->Open(this);
    COM2Click();
}

void TForm1::BitBtn3Click()
{
    if (m_windows.protocols)
        m_windows.protocols->Open(this);
}

void TForm1::wireProtocolWindow()
{
    TForm6 *w = m_windows.protocols;
    if (!w)
        return;
    TForm6::Host host;
    host.create = [this](const QString &path) { return CreateProtocol(path); };
    host.open = [this](const QString &path) { return OpenProtocol(path); };
    host.cancelled = [this] {
        ui->PageControl->setCurrentIndex(0);
        show();
        setEnabled(true);
        activateWindow();
    };
    host.closed = [this] {
        if (!monitoringVisible()) {
            setEnabled(true);
            activateWindow();
        }
    };
    host.now = [this] { return m_scheduler->currentDateTime(); };
    w->setHost(std::move(host));
    w->setLang(m_state.Lang);
}

bool TForm1::CreateProtocol(const QString &path)
{
    const ProtocolStatus st = ProtocolFile(path, m_state.Lang).create(m_state.ProtocolData);
    if (!st.ok()) {
        m_dialogs->message(st.text, MsgIcon::Error);
        return false;
    }
    // Nothing of the protocol open before stays on any page: its probe
    // length, serial number and calibration table go with it.
    m_state.ProtocolData.LengthProbe = QStringLiteral("0");
    m_state.ProtocolData.SerialNamProtocol = 0;
    m_state.CurrentProtocolFile = path;
    ui->TabSheet1->setEnabled(true);
    ui->TabSheet2->setEnabled(true);
    ui->UpDown5->setPosition(0);
    ui->edVDA->setText(QStringLiteral("0"));
    ui->UpDown6->setPosition(0);
    ui->edHBac->setText(QStringLiteral("0"));
    ui->meNambePlomb->clear();
    ui->cbYear->setCurrentIndex(0);
    clearJobTexts();
    // Each up-down stops at its own minimum.
    for (UpDown *u : {ui->UpDown2, ui->UpDown3})
        u->setPosition(0);
    if (m_windows.calibration)
        m_windows.calibration->startNewProtocol(path);
    return true;
}

bool TForm1::OpenProtocol(const QString &path)
{
    GeneralData g;
    PointsRead points;
    // The record changes only when the whole file was read: a refused or
    // damaged file leaves the protocol open before (and its counters) as it was.
    const ProtocolStatus st =
        ProtocolFile(path, m_state.Lang).open(m_state.ProtocolData, g, points);
    if (!st.ok()) {
        m_dialogs->message(st.text, MsgIcon::Error);
        return false;
    }
    for (const QString &note : st.notes)
        m_dialogs->message(note, MsgIcon::Information);
    m_state.CurrentProtocolFile = path;
    ui->edCompanyName->setText(g.CompanyName);
    ui->edFirma->setText(g.Firma);
    ui->cbProizvMashine->setEditText(g.ProizvMashine);
    ui->cbTypeMashine->setEditText(g.TypeMashine);
    ui->cbNameMashine->setEditText(g.NameMashine);
    ui->cbYear->setEditText(g.Year);
    ui->edNamberMashine->setText(g.NamberMashine);
    ui->cbNameUser->setEditText(g.NameUser);
    ui->meNambePlomb->setText(g.NambePlomb);
    ui->TabSheet1->setEnabled(true);
    ui->TabSheet2->setEnabled(true);
    ui->UpDown5->setPosition(g.UpDown2);
    ui->edVDA->setText(QString::number(ui->UpDown5->position()));
    ui->UpDown6->setPosition(g.UpDown3);
    ui->edHBac->setText(QString::number(ui->UpDown6->position()));
    if (m_windows.calibration)
        m_windows.calibration->loadProtocol(path, points);
    return true;
}

// ---- the job page

JobData TForm1::jobData() const
{
    JobData j;
    j.CompanyName = ui->edCompanyName->text();
    j.Firma = ui->edFirma->text();
    j.ProizvMashine = ui->cbProizvMashine->currentText();
    j.TypeMashine = ui->cbTypeMashine->currentText();
    j.NameMashine = ui->cbNameMashine->currentText();
    j.Year = ui->cbYear->currentText();
    j.NamberMashine = ui->edNamberMashine->text();
    j.NameUser = ui->cbNameUser->currentText();
    j.NambePlomb = ui->meNambePlomb->displayText();
    j.edVDA = ui->edVDA->text();
    j.edHBac = ui->edHBac->text();
    j.UpDown5 = ui->UpDown5->position();
    j.UpDown6 = ui->UpDown6->position();
    return j;
}

void TForm1::showJobData(const JobData &j)
{
    ui->edCompanyName->setText(j.CompanyName);
    ui->edFirma->setText(j.Firma);
    ui->cbProizvMashine->setEditText(j.ProizvMashine);
    ui->cbNameMashine->setEditText(j.NameMashine);
    ui->cbYear->setEditText(j.Year);
    ui->edNamberMashine->setText(j.NamberMashine);
    ui->cbNameUser->setEditText(j.NameUser);
    ui->meNambePlomb->setText(j.NambePlomb);
    ui->edVDA->setText(j.edVDA);
    ui->edHBac->setText(j.edHBac);
}

void TForm1::BitBtn4Click()
{
    if (m_state.CurrentProtocolFile.isEmpty()) {
        const MsgAnswer a = m_dialogs->message(m_state.text(Txt::Attention) + QLatin1Char('\r') +
                                                   m_state.text(Txt::AttachProtocol),
                                               MsgIcon::Warning, MsgButtons::YesNo);
        if (a == MsgAnswer::Yes)
            BitBtn3Click();
        else
            ui->PageControl->setCurrentWidget(ui->TabSheet3);
        return;
    }
    TimerReadData.setInterval(1000);
    JobData job = jobData();
    // A text the protocol cannot hold is refused before anything is written:
    // the job's, the probe type's and the probe variant's.
    if (const QString bad = unencodableInJob(
            job, {ui->cbFMSCALCPARAM->currentText(), probeClassText()});
        !bad.isEmpty()) {
        m_dialogs->message(unencodableMessage(bad, m_state.Lang), MsgIcon::Warning);
        return;
    }
    fillNotDefined(job);
    showJobData(job);
    job = jobData(); // the seal as its edit shows the fill

    ScaleData scale;
    scale.seUpVal = ui->seUpVal->value();
    scale.seDownVal = ui->seDownVal->value();
    scale.seFSMOffset = ui->seFSMOffset->value();
    scale.seFSMScale = ui->seFSMScale->value();
    scale.typeProbe = ui->cbFMSCALCPARAM->currentText();
    scale.zeroProbeLength = ui->meZeroLen->displayText();
    scale.permixFuel = ui->mePermix->displayText();
    scale.versionH = m_state.sensor.SensorParam.Version_H;
    scale.versionL = m_state.sensor.SensorParam.Version_L;
    scale.resolutionBits = m_state.sensor.SensorParam.DigitData.trimmed().toInt();
    scale.fullScaleMode = m_state.sensor.SensorExt.ModeFSM;
    const ProtocolStatus st =
        ProtocolFile(m_state.CurrentProtocolFile, m_state.Lang)
            .writeGeneralData(generalDataValues(job, scale), true, &m_state.ProtocolData);
    if (!st.ok()) {
        m_dialogs->message(st.text, MsgIcon::Error);
        return;
    }
    setEnabled(true);
    if (!m_state.link.RestrictedCommands) {
        // The probe class goes to the sensor first: code 7 - item ("Пользов L" 0).
        TimerReadData.setInterval(2000);
        sendProbeClass(CommandTable.SET_SOND_LEN, ui->cbFlesh->currentIndex());
    }
    bbOnChartClick();
}

void TForm1::bbOnChartClick()
{
    const QString path = m_state.CurrentProtocolFile;
    if (path.isEmpty()) {
        m_dialogs->show(m_state.text(Txt::Attention) + QLatin1Char('\r') +
                        m_state.text(Txt::AttachProtocol));
        return;
    }
    ProtocolFile file(path, m_state.Lang);
    const bool restricted = m_state.link.RestrictedCommands;
    SensorData sensor;
    sensor.flesh = probeClassText();
    sensor.capdac = ui->meCAPDAC->text();
    sensor.capoff = ui->meCAPOFF->text();
    sensor.lengthProbe = ui->edLongDA->text();
    sensor.sn = ui->meSN->displayText();
    if (!restricted) {
        // The probe variant goes into the protocol: refused if it cannot be stored.
        if (const QString bad = unencodableCharacters(sensor.flesh); !bad.isEmpty()) {
            m_dialogs->message(unencodableMessage(bad, m_state.Lang), MsgIcon::Warning);
            return;
        }
        QString stored;
        (void)file.readText(QByteArrayLiteral("Flesh"), stored);
        if (!stored.isEmpty() && stored != sensor.flesh && visibleTabIndex() == 1) {
            TimerStart.stop();
            TimerReadData.stop();
            TimerReset.stop();
            const QChar r('\r');
            const MsgAnswer a = m_dialogs->message(
                m_state.text(Txt::Attention) + r + m_state.text(Txt::ProbeDiffers1) + sensor.flesh +
                    m_state.text(Txt::ProbeDiffers2) + stored + QLatin1Char('.') + r +
                    m_state.text(Txt::ProbeDiffers3) + r + m_state.text(Txt::ProbeDiffers4),
                MsgIcon::Information, MsgButtons::YesNo);
            TimerStart.start();
            if (a != MsgAnswer::Yes)
                return;
        }
    }
    const ProtocolStatus st =
        file.writeGeneralData(calibrationStartValues(jobData(), sensor, restricted), false);
    if (!st.ok()) {
        m_dialogs->message(st.text, MsgIcon::Error);
        return;
    }
    for (QWidget *page : {ui->TabSheet1, ui->TabSheet2, ui->TabSheet3, ui->TabSheet4})
        page->setEnabled(false);
    if (m_windows.calibration)
        m_windows.calibration->showForCalibration(path);
}

// ---- remembered names

void TForm1::rememberName(QComboBox *box, const IntKey &indexKey, StringKey (*slotKey)(int))
{
    SettingsStore &store = *m_world.settings;
    int index = store.get(indexKey);
    const StringKey key = slotKey(index + 1);
    index = index + 1 > 9 ? 0 : index + 1;
    const QString text = box->currentText();
    (void)store.set(key, text);
    (void)store.set(indexKey, index);
    box->clear();
    for (int n = 1; n <= 10; ++n)
        box->addItem(store.get(slotKey(n)));
    box->setEditText(text);
}

void TForm1::cbNameUserKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        rememberName(ui->cbNameUser, SettingsKeys::NameIndex, &SettingsKeys::Name);
}

void TForm1::cbNameMashineKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        rememberName(ui->cbNameMashine, SettingsKeys::NameMashineIndex, &SettingsKeys::NameMashine);
}
