// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: port selection, device search, reply watchdog and polling.
//
// Connection states: port closed (port group and logo shown) -> searching
// (READ_PARAM to the all-devices address, 200 ms after the open and then every
// second) -> connected (the dispatcher stops the search and starts DATA_READ
// polling) -> link lost (no usable reply for 3 s: port group, logo and the busy
// animation come back, the live values drop to zero, the search resumes).

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "calibration/Load_U.h"
#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "link/frame.h"
#include "link/frame_log.h"
#include "link/link_log.h"
#include "link/port_names.h"
#include "sensor/decode.h"
#include "sequencing/startup_rules.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QStyledItemDelegate>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace {

/// What to tell the user when a port does not open, in the interface language.
/// The status bar says "Error port #n"; this says why and what to do.
QString openFailureText(const OpenError &error, int n, int Lang)
{
    const bool ru = Lang == LangRussian;
    const QString device = error.device.isEmpty() ? QStringLiteral("COM%1").arg(n) : error.device;
    switch (error.kind) {
    case OpenError::Permission:
        return ru ? QStringLiteral("Нет доступа к порту %1.\rДобавьте пользователя в группу "
                                   "dialout (sudo usermod -aG dialout $USER), затем выйдите из "
                                   "системы и войдите снова.")
                        .arg(device)
                  : QStringLiteral("No permission to open %1.\rAdd your user to the dialout "
                                   "group (sudo usermod -aG dialout $USER), then log out and in "
                                   "again.")
                        .arg(device);
    case OpenError::Missing:
        return ru ? QStringLiteral("Порт COM%1 не ведёт к устройству (%2).\rАдаптер не "
                                   "подключён или был отключён: подключите его и откройте порт "
                                   "снова.")
                        .arg(n)
                        .arg(device)
                  : QStringLiteral("Port COM%1 leads to no device (%2).\rThe adapter is not "
                                   "plugged in or was removed: plug it in and open the port "
                                   "again.")
                        .arg(n)
                        .arg(device);
    case OpenError::NotSerial:
        return ru ? QStringLiteral("%1 (порт COM%2) не является последовательным портом.\r"
                                   "Выберите другой порт.")
                        .arg(device)
                        .arg(n)
                  : QStringLiteral("%1 (port COM%2) is not a serial port.\rChoose another port.")
                        .arg(device)
                        .arg(n);
    case OpenError::Busy:
        return ru ? QStringLiteral("Порт COM%1 (%2) занят другой программой.\rЗакройте её и "
                                   "откройте порт снова.")
                        .arg(n)
                        .arg(device)
                  : QStringLiteral("Port COM%1 (%2) is in use by another program.\rClose that "
                                   "program and open the port again.")
                        .arg(n)
                        .arg(device);
    case OpenError::None:
    case OpenError::Other:
        break;
    }
    return ru ? QStringLiteral("Порт COM%1 (%2) не открывается: %3").arg(n).arg(device, error.text)
              : QStringLiteral("Port COM%1 (%2) does not open: %3").arg(n).arg(device, error.text);
}

/// The drop-down list of ports shows each port by its adapter ("COM3 — FT232R
/// USB UART (FTDI), ttyUSB0"), kept in the item's tool tip, while the edit
/// keeps the bare "COM3" that the open reads its number from.
class PortItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString label = index.data(Qt::ToolTipRole).toString();
        if (!label.isEmpty())
            option->text = label;
    }
};

/// The devices that a port scan found but may not open, for the notice.
QString deniedList(const QStringList &devices)
{
    return devices.join(QStringLiteral(", "));
}

} // namespace

void TForm1::CreateComPort()
{
    DeviceProvider *provider = m_world.ports;
    if (!provider)
        return;
    provider->refreshPorts();
    // The scan opens each device on its own, so the open port stays untouched;
    // it is ours, so it is listed as it is.
    const LineSettings settings = FPort.ComProp().lineSettings();
    if (!dynamic_cast<PortItemDelegate *>(ui->cbComNum->itemDelegate()))
        ui->cbComNum->setItemDelegate(new PortItemDelegate(ui->cbComNum));
    m_deniedPorts.clear();
    // The numbers the provider knows, in its order (the demo sensor first);
    // a provider that cannot list them is asked for every number.
    QList<int> numbers = provider->portNumbers();
    if (numbers.isEmpty())
        for (int n = 1; n <= 255; ++n)
            numbers << n;
    for (int n : numbers) {
        if (n < 1 || n > 255)
            continue;
        bool opens = FPort.Connected() && FPort.ComNumber() == n;
        if (!opens) {
            std::unique_ptr<SerialDevice> device = provider->deviceFor(n);
            if (!device)
                continue;
            OpenError error;
            opens = device->open(settings, &error);
            if (opens)
                device->close();
            else if (error.kind == OpenError::Permission)
                m_deniedPorts << QStringLiteral("%1 (COM%2)")
                                     .arg(error.device.isEmpty() ? device->path() : error.device)
                                     .arg(n);
        }
        if (opens) {
            ui->cbComNum->addItem(QStringLiteral("COM%1").arg(n));
            ui->cbComNum->setItemData(ui->cbComNum->count() - 1,
                                      portLabel(n, provider->portSummary(n)), Qt::ToolTipRole);
        }
    }
    // The drop-down is as wide as its longest name.
    int widest = 0;
    for (int i = 0; i < ui->cbComNum->count(); ++i)
        widest = qMax(widest, ui->cbComNum->fontMetrics().horizontalAdvance(
                                  ui->cbComNum->itemData(i, Qt::ToolTipRole).toString()));
    ui->cbComNum->view()->setMinimumWidth(widest + 32);
}

void TForm1::TellDeniedPorts(bool withMessage)
{
    if (m_deniedPorts.isEmpty())
        return;
    const bool ru = m_state.Lang == LangRussian;
    const QString devices = deniedList(m_deniedPorts);
    const QString text =
        ru ? QStringLiteral("Нет доступа к %1.\rДобавьте пользователя в группу dialout "
                            "(sudo usermod -aG dialout $USER), затем выйдите из системы и "
                            "войдите снова.")
                 .arg(devices)
           : QStringLiteral("No permission to open %1.\rAdd your user to the dialout group "
                            "(sudo usermod -aG dialout $USER), then log out and in again.")
                 .arg(devices);
    statusPanel(0)->setText(
        ru ? QStringLiteral("Нет доступа к %1: нужна группа dialout").arg(devices)
           : QStringLiteral("No permission for %1: join the dialout group").arg(devices));
    statusPanel(0)->setToolTip(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    if (withMessage && !m_deniedPortsTold) {
        m_deniedPortsTold = true;
        m_dialogs->message(text, MsgIcon::Warning);
    }
}

void TForm1::Button1Click()
{
    ui->cbComNum->clear();
    CreateComPort();
    if (ui->cbComNum->count() > 0)
        ui->cbComNum->setCurrentIndex(0);
    ui->cbComNum->setFocus();
    TellDeniedPorts(true);
}

void TForm1::COM1Click()
{
    TimerStart.setInterval(200);
    m_sInd->setVisible(true);
    if (ui->cbComNum->currentText().isEmpty()) {
        m_sInd->setVisible(false);
        m_dialogs->show(m_state.text(Txt::ChoosePort));
        activateWindow();
        return;
    }
    if (!PortStart())
        return;

    ui->COM1->setEnabled(false);
    ui->COM2->setEnabled(true);
    TimerStart.start();
    ui->cbComNum->setEnabled(false);
    ui->bbNewAdres->setEnabled(true);
    ui->PageControl->setVisible(true);
    ui->GroupBox5->setVisible(false);
    ui->Image->setVisible(false);
    ui->bbDublComOpen->setEnabled(false);
    ui->bbDublComClose->setEnabled(true);
    TimerWriteDataParam.start();
}

bool TForm1::PortStart()
{
    // An open chosen by the user (or the replug) ends the wait for a pulled adapter.
    TimerReplug.stop();
    m_replugNumber = 0;
    FPort.Close();
    m_state.link.ResetLine();
    // A text that names no number leaves the previous port number.
    if (const std::optional<int> n = portNumberFromText(ui->cbComNum->currentText()))
        FPort.setComNumber(*n);

    std::optional<TBaudRate> rate = baudRateForSpeedIndex(ui->cbSpeedCom->currentIndex());
    if (!rate) {
        rate = br19200;
        ui->cbSpeedCom->setCurrentIndex(DefaultSpeedIndex);
    }
    FPort.ComProp().BaudRate = *rate;
    m_state.link.setLineSpeed(baudRateValue(*rate));

    FPort.Open();
    const int n = FPort.ComNumber();
    if (!FPort.Connected()) {
        const OpenError error = FPort.lastOpenError();
        // The closed state first, so its "Port closed" does not hide why the open
        // failed. A recording that lost its adapter waits for it to be back.
        ClosePortKeepRecording();
        statusPanel(0)->setText(m_state.text(Txt::PortError) + QString::number(n));
        m_dialogs->message(openFailureText(error, n, m_state.Lang), MsgIcon::Error);
        return false;
    }
    statusPanel(0)->setText(m_state.text(Txt::PortOpened) + QString::number(n) +
                            m_state.text(Txt::PortOpenedEnd));
    if (FrameLog *log = m_state.link.frameLog())
        log->portOpened(portLabel(n, m_world.ports ? m_world.ports->portSummary(n) : QString()),
                        baudRateValue(*rate));
    FPort.onLinkLost = [this] { PortLinkLost(); };
    FPort.setReadActive(true);
    return true;
}

void TForm1::COM2Click()
{
    TimerReplug.stop();
    m_replugNumber = 0;
    ClosePortKeepRecording();
    StopRecording();
}

void TForm1::ClosePortKeepRecording()
{
    Button10Click();
    PortStop();

    m_sInd->setVisible(false);
    ui->PageControl->setCurrentIndex(0);
    ui->COM1->setEnabled(true);
    ui->COM2->setEnabled(false);
    ui->cbComNum->setEnabled(true);
    ui->bbNewAdres->setEnabled(false);

    TimerStart.stop();
    TimerWriteDataParam.stop();
    TimerReadData.stop();
    TimerReset.stop();
    ui->Animate->setActive(false);
    ui->Animate->setVisible(false);

    ui->PageControl->setVisible(false);
    ui->GroupBox5->setVisible(true);
    TimerStartWindows.start();

    ui->bbDublComOpen->setEnabled(true);
    ui->bbDublComClose->setEnabled(false);
    ui->Image->setVisible(true);
}

void TForm1::PortStop()
{
    FPort.Close();
    m_state.link.ResetLine();
    statusPanel(0)->setText(m_state.text(Txt::PortClosed));
}

void TForm1::PortLinkLost()
{
    // The adapter is gone and the port has closed itself. The window takes the
    // link-loss state at once (a calibration in progress waits for the link;
    // it is not stopped), then shows the port closed, and waits for the same
    // adapter to come back: its COM link leads to the by-id name where the
    // adapter has one, else to the device path, so the link resolving again
    // is that adapter back.
    m_state.link.ResetLine();
    TimerResetTimer();
    TimerStart.stop();
    TimerReset.stop();
    TimerWriteDataParam.stop();
    ui->Animate->setActive(false);
    ui->Animate->setVisible(false);
    m_sInd->setVisible(false);
    ui->COM1->setEnabled(true);
    ui->COM2->setEnabled(false);
    ui->bbDublComOpen->setEnabled(true);
    ui->bbDublComClose->setEnabled(false);
    ui->cbComNum->setEnabled(true);
    ui->bbNewAdres->setEnabled(false);
    m_replugNumber = FPort.ComNumber();
    const bool ru = m_state.Lang == LangRussian;
    statusPanel(0)->setText(
        ru ? QStringLiteral("Адаптер COM%1 отключён; ожидание его подключения").arg(m_replugNumber)
           : QStringLiteral("Adapter COM%1 disconnected; waiting for it to be plugged in again")
                 .arg(m_replugNumber));
    TimerReplug.start();
}

void TForm1::TimerReplugTimer()
{
    DeviceProvider *provider = m_world.ports;
    if (!provider || m_replugNumber == 0 || FPort.Connected()) {
        TimerReplug.stop();
        return;
    }
    std::unique_ptr<SerialDevice> device = provider->deviceFor(m_replugNumber);
    OpenError error;
    if (!device || !device->open(FPort.ComProp().lineSettings(), &error))
        return; // not back yet (or busy: ModemManager probes a new adapter for a while)
    device->close();
    TimerReplug.stop();
    const int n = m_replugNumber;
    m_replugNumber = 0;
    qCInfo(lcLink, "COM%d is back; opening it again", n);
    // Opened as "Open" opens it, at the speed still chosen.
    ui->cbComNum->setEditText(QStringLiteral("COM%1").arg(n));
    COM1Click();
}

void TForm1::cbRTSClick()
{
    // The crossed fields: the box named RTS drives the RTS line through EnableDTR.
    FPort.ComProp().EnableDTR = ui->cbRTS->isChecked();
}

void TForm1::cbDTRClick()
{
    FPort.ComProp().EnableRTS = ui->cbDTR->isChecked();
}

void TForm1::TimerStartTimer()
{
    TimerStart.setInterval(1000);
    WriteComand(BroadcastAddress, CommandTable.READ_PARAM);
    TimerReset.start();
}

void TForm1::TimerResetTimer()
{
    // The poller cleared the reply store before its request, so the live values
    // decode as zeros; they are shown, and the recording hears that the link
    // is lost instead.
    ReadData(false);
    ReadingsLost();

    TimerErrorWrite.stop();
    // The search starts on a free line: requests still held for the lost
    // sensor are dropped, not sent after the first search request.
    m_state.link.ResetLine();
    // A zero search or a probe detection in progress is aborted.
    if (m_windows.progress && m_windows.progress->isVisible())
        m_windows.progress->close();
    // The tilt reading stops with the link: the window leaves the inclinometer
    // page and hides the pages, so the tilts would be read for nobody, and
    // once the sensor answers again they would go on beside the level polls
    // its identity read starts. "Start" on the page reads them again.
    TimerReadInclinometerData.stop();
    ui->Button9->setEnabled(true);
    ui->Button10->setEnabled(false);
    TimerReset.setInterval(3000);
    ui->Animate->setActive(true);
    ui->Animate->setVisible(true);
    TimerReadData.stop();
    TimerStart.start();
    ui->PageControl->setCurrentWidget(ui->TabSheet3);
    ui->PageControl->setVisible(false);
    ui->GroupBox5->setVisible(true);
    ui->Image->setVisible(true);
}

void TForm1::TimerReadDataTimer()
{
    WriteComand(currentAddress(), CommandTable.DATA_READ);
    TimerReset.start();
    m_state.link.ClearReply();
}

void TForm1::TimerStartReadDateTimer()
{
    TimerStartReadDate.stop();
    TimerReadData.setInterval(1000);
    TimerReadData.start();
    m_state.ProbeDetectActive = false;
}

void TForm1::TimerRepeatTimer()
{
    bbCalibrationClick();
    TimerRepeat.stop();
}
