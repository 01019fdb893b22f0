// TForm1: Protocol selection, protocol general data and the start of a tank calibration.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "shell/AvtoSave_U.h"
#include "tank/Diagram_Tarirovca_U.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

void TForm1::N14Click() {}

void TForm1::BitBtn3Click() {}

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
        return Recording::Sample{n, m_state.sensor.SensorParam.Val_C, statusPanel(3)->text(),
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

void TForm1::BitBtn4Click() {}

void TForm1::bbOnChartClick() {}

void TForm1::cbNameUserKeyPress(int) {}

void TForm1::cbNameMashineKeyPress(int) {}
