// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm1: the main window, a wizard of pages over one connected sensor. Its
// controls come from Veroze_vizi_zudu_U.ui and carry the names the procedures
// use (findChild<QLabel *>("lbT") works); this class holds the controls, the
// timers and thin handlers. Each subsystem implements its handlers in a file of
// its own (startup.cpp, port_search.cpp, settings_write.cpp, …) and puts the
// computing in the room it belongs to.
//
// Control kinds and their Qt widgets, used throughout the form:
//   button, bit button ("bb…", "BitBtn…", "Button…")  -> QPushButton
//   speed button ("sb…", "SpeedButton…")              -> checkable QToolButton (down = checked)
//   edit ("ed…")                                      -> QLineEdit
//   masked edit ("me…")                               -> QLineEdit with an inputMask "M;b"
//       (digits "9", literal ",", blank character b); text() leaves the blanks
//       out, so read displayText() where a procedure needs the text with them
//   spin edit ("se…", "SpinEdit…")                    -> QSpinBox
//   up-down ("ud…", "UpDown…")                        -> UpDown (widgets.h): position,
//       minimum, maximum, increment; clicked(Next/Prev) after a user click
//   check box / radio button / combo box              -> QCheckBox / QRadioButton / QComboBox
//       (a drop-down list with no entry selected shows its text as placeholder)
//   radio group ("RadioGroup")                        -> RadioGroupBox (widgets.h): items,
//       itemIndex
//   gauge ("Gauge…")                                  -> Gauge (widgets.h): progress, clamped
//   track bar ("TrackBar…")                           -> QSlider
//   group box / panel / bevel / splitter              -> QGroupBox / QFrame / QFrame line
//   date picker ("DateTimePicker")                    -> QDateEdit, disabled (display only)
//   the lamp "sInd"                                   -> Lamp (widgets.h): color
//   the busy animation "Animate"                      -> BusyIndicator (widgets.h): active
//   picture ("Image", "Image2")                       -> QLabel with a pixmap
//   menu items                                        -> QAction; menus -> QMenu
//   status bar "StatusBar1"                           -> QStatusBar with one QLabel per panel,
//       "StatusBar1_Panel0" … "StatusBar1_Panel3" (0: link state, 3: clock)

#include "calibration/output_scale.h"
#include "calibration/zero_search.h"
#include "common/timer.h"
#include "common/widgets.h"
#include "link/comport.h"
#include "sequencing/program_state.h"

#include <QMainWindow>
#include <QVector>
#include <functional>

class Dialogs;
class HelpWindow;
class TAboutBox;
class TForm3;
class TForm2;
class TForm5;
class TForm9;
class TForm6;
struct ExportData;
enum class ExportDocument;
struct JobData;
class TForm7;
class QLabel;
class QActionGroup;
class QSpinBox;
class QToolButton;
class QComboBox;
struct IntKey;
struct StringKey;
class Scheduler;

namespace Ui {
class TForm1;
}
namespace decode {
struct GaugeLayout;
}

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int StatusPanelCount = 4;

    /// state and world outlive the window.
    TForm1(ProgramState &state, const ProgramWorld &world, QWidget *parent = nullptr);
    ~TForm1() override;

    /// The satellite windows the main window drives (created by the program).
    struct Windows {
        TForm3 *terminal = nullptr;    // frame trace (menu N5)
        TForm7 *settings = nullptr;    // autosave, port detection, export texts (N16)
        TAboutBox *about = nullptr;    // N10
        HelpWindow *help = nullptr;    // N13, F1
        TForm5 *calibration = nullptr; // the tank calibration (bbOpenDiagram1, the protocol start)
        TForm6 *protocols = nullptr;   // the protocol selection (BitBtn3, N14, the command line)
        TForm2 *progress = nullptr;    // zero search and probe detection progress
        TForm9 *probe = nullptr;       // probe constants (N9)
    };
    void setWindows(const Windows &w)
    {
        m_windows = w;
        wireCalibrationWindow();
        wireProtocolWindow();
        wireProbeWindows();
    }
    const Windows &windows() const { return m_windows; }

    ProgramState &state() const { return m_state; }
    const ProgramWorld &world() const { return m_world; }
    /// The port to the sensor (COMn through world().ports).
    TComPort &port() { return FPort; }

    /// Sends one request through the frame layer (the one way to send).
    void WriteComand(quint8 address, quint8 command, const QByteArray &data = {});
    /// The current sensor address: the number shown by cbSetingAdres (255 when unreadable).
    quint8 currentAddress() const;

    /// The form's controls, for the code of other rooms that fills them
    /// (decoders' window step, the language pass).
    Ui::TForm1 *controls() const { return ui; }
    /// Status-bar panel i (0 … 3) and the connection lamp; they live in the
    /// status bar, outside the generated form.
    QLabel *statusPanel(int i) const { return m_statusPanels.value(i); }
    Lamp *sInd() const { return m_sInd; }
    /// Every timer of the window by its name (nullptr when there is none).
    Timer *timer(const QString &name) const;
    const QVector<Timer *> &timers() const { return m_timers; }
    /// The one-shot links of the request chains (identity read-back, settings
    /// writes, scale, probe, inclinometer): each sends one request when it fires.
    const QVector<Timer *> &chainTimers() const { return m_chainTimers; }

    Scheduler *scheduler() const { return m_scheduler; }
    Dialogs *dialogs() const { return m_dialogs; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createStatusPanels();
    void registerTimers();
    void connectHandlers();

    void wireLink();

    Ui::TForm1 *ui;
    ProgramState &m_state;
    ProgramWorld m_world;
    Scheduler *m_scheduler;
    Dialogs *m_dialogs;
    TComPort FPort;
    Windows m_windows;
    QVector<QLabel *> m_statusPanels;
    Lamp *m_sInd = nullptr;
    QActionGroup *m_viewGroup = nullptr;
    QVector<Timer *> m_timers;
    QVector<Timer *> m_chainTimers;
    bool m_userTabChange = false; // up while a user input event on the pages is delivered

    // ---- reply dispatcher (link layer hands accepted replies to the window)
    /// Dispatch of an accepted reply by its command byte (bytes 1…L).
    void DispatchReply(const QByteArray &reply);
    /// The updates after every received chunk while no frame error stands.
    void EndOfChunk();
    /// The connection lamp changes colour on every accepted reply.
    void ToggleLamp();
    // The chain timers the dispatcher starts are declared below with the
    // procedure that sends their request: settings writes, probe class,
    // output scale, inclinometer.
    /// "Ошибка записи." for status 0x01, else the success text; polling, search
    /// and watchdog stopped before the message, the search started after it.
    void WriteResultMessage(int status);
    /// The output-scale editors of both scale pages from the scale in SensorExt.
    void FillOutputScaleEditors();
    /// One step of the automatic zero search (the zero-setting procedure fills it in).
    void CalibrationCap();
    /// Hands a level reading to the tank-calibration recording (filled in with it).
    void LevelReading(int N);

    // ---- decoders applied: the frame layer's last reply onto records and controls
    void ReadSN();
    void Connect();
    /// The DATA_READ layout of the reply store onto the live values. Only an
    /// accepted DATA_READ reply (`acceptedReply`) is a reading: it alone goes
    /// to the recording. The watchdog decodes the poller's zeros with false.
    void ReadData(bool acceptedReply);
    void ReadCAPSET();
    void READCALDATA();
    void ReadSounLen();
    void ReadExtParam();
    void ReadFSMCalcParam();
    void ReadAxisK();
    void WriteFullTanck();
    void ReadAzimuth();
    void ReadInclinometerData();
    void ReadREPMODE3();
    void ReadINCLLANADR();
    /// The zero gauges in the proportions of a probe class.
    void applyGaugeLayout(const decode::GaugeLayout &layout);
    /// Enables/shows the settings controls as the version and model rules decide.
    void applyWindowControls(const WindowControls &c);
    bool isCurrentPage(const QWidget *page) const;

    // ---- start-up, shutdown and environment checks
    Timer TimerStartWindows; // 100 ms, one-shot: environment check
    Timer TimerSetProtocol;  // 1000 ms, one-shot: protocol named on the command line
    Timer Timer1;            // 10 ms, whole run: caption, menu state, modem lines
    Timer TimerSystemTime;   // 1000 ms, whole run: clock in panel 3
    void TimerStartWindowsTimer();
    void TimerSetProtocolTimer();
    void Timer1Timer();
    void TimerSystemTimeTimer();
    void FormClose();
    friend class Program; // runs FormCreate while it creates the windows
    /// Main-window creation: port list, stored settings, lists, page and timer start state.
    void FormCreate();
    /// The protocol named on the command line; the protocol-selection window opens it.
    void OpenProtocolFromCommandLine(const QString &path);
    /// The texts of the chosen language on every window of the program.
    void applyLanguage();
    /// Writes the resolution group's items in the current language (the texts
    /// of Label31, Label33, Label100, Label101, which the language pass keeps).
    void relabelResolutionItems();
    bool m_connectAfterCheck = false; // --connect: open the port once the check passed

    // ---- port selection, search and polling
    Timer TimerStart;         // 1000 ms (200 ms for the first tick after opening): search
    Timer TimerReset;         // 3000 ms: reply watchdog
    Timer TimerErrorWrite;    // 800 ms: watchdog of an address change (handler TimerResetTimer)
    Timer TimerReadData;      // 1000 ms at design: DATA_READ polling
    Timer TimerStartReadDate; // 500 ms, one-shot: restarts polling after a pause
    Timer TimerRepeat;        // 900 ms, one-shot: next zero-search attempt
    Timer TimerReplug;        // 1000 ms while a pulled adapter is awaited: reopens it when back
    void Button1Click();
    void COM1Click();
    /// "Закрыть COM порт": the port closed and the recording stopped.
    void COM2Click();
    /// The closed state of the window (port closed, port settings shown, the
    /// connection timers stopped) without touching the recording: a failed
    /// open, or an adapter that went away, is a lost link to the recording.
    void ClosePortKeepRecording();
    /// Stops the tank-calibration recording (Start up, Stop down, Rec
    /// disabled); only the installer's close of the port does this.
    void StopRecording();
    /// No reading comes any more (the watchdog ran out, or the adapter went):
    /// the calibration window says so and stores nothing until the sensor
    /// answers again.
    void ReadingsLost();
    void cbRTSClick();
    void cbDTRClick();
    void TimerStartTimer();
    void TimerResetTimer();
    void TimerReadDataTimer();
    void TimerStartReadDateTimer();
    void TimerRepeatTimer();
    /// The pulled adapter's device is there again: the port opens at the same
    /// speed and the search starts, as "Open" does.
    void TimerReplugTimer();
    int m_replugNumber = 0; // the port whose adapter was pulled; 0 when none is awaited
    /// Lists the ports that open in cbComNum (the port folder picks up new adapters first),
    /// each with its adapter's name as the item's tool tip.
    void CreateComPort();
    /// Names the devices the last scan could not open for lack of permission
    /// in the status bar, and with withMessage once a run in a message, with
    /// the command that puts the user in the dialout group.
    void TellDeniedPorts(bool withMessage);
    QStringList m_deniedPorts;     // "/dev/ttyUSB0 (COM3)" of the last scan
    bool m_deniedPortsTold = false; // the message was shown this run
    /// Opens the port the list shows at the chosen speed; false when it did not open.
    bool PortStart();
    void PortStop();
    /// The open port's device went away (adapter pulled).
    void PortLinkLost();

    // ---- settings writes and read-back chain
    Timer TimerSetRepMode;       // 100 ms: SET_REP_MODE
    Timer TimerSETAVRGTimer;     // 100 ms: SET_AVRG_TIME
    Timer TimerSetPeriod;        // 100 ms: SET_PERIOD
    Timer TimerSET_REP_MODE_3;   // 100 ms: SET_REP_MODE_3
    Timer TimerSET_INCL_LAN_ADR; // 100 ms: SET_INCL_LAN_ADR
    Timer TimerNewAddres;        // 100 ms: SET_AUTO_MODE (handler bbPeriodClick)
    Timer TimerGETEXTPARAM;      // 100 ms: GET_EXT_PARAM
    Timer TimerGET_REP_MODE_3;   // 100 ms: GET_REP_MODE_3
    Timer TimerGET_INCL_LAN_ADR; // 100 ms: GET_INCL_LAN_ADR
    void bbNewAdresClick();
    void bbResetRefClick();
    void bbReadAvtomodClick();
    void bbPeriodClick();
    void cbPeriodClick();
    void RadioGroupClick();
    void TimerSetRepModeTimer();
    void TimerSETAVRGTimerTimer();
    void TimerSetPeriodTimer();
    void TimerSET_REP_MODE_3Timer();
    void TimerSET_INCL_LAN_ADRTimer();
    void TimerGETEXTPARAMTimer();
    void TimerGET_REP_MODE_3Timer();
    void TimerGET_INCL_LAN_ADRTimer();

    // ---- passport
    void bbReadSNClick();

    // ---- wizard navigation and views
    void BitBtn5Click();  // information -> general parameters
    void BitBtn9Click();  // general parameters -> information
    void BitBtn6Click();  // general parameters -> next by firmware
    void BitBtn10Click(); // calibration -> general parameters
    void BitBtn8Click();  // calibration -> scale or protocol data
    void BitBtn12Click(); // scale (firmware <= 5) -> back
    void BitBtn7Click();  // scale (firmware <= 5) -> protocol data
    void BitBtn19Click(); // scale (firmware 8) -> general parameters
    void BitBtn20Click(); // scale (firmware 8) -> inclinometer
    void BitBtn22Click(); // inclinometer -> scale (firmware 8)
    void BitBtn21Click(); // inclinometer -> protocol data
    void BitBtn11Click(); // protocol data -> back by firmware
    void PageControlChange();
    void N21Click();
    void N22Click();
    void N3Click();
    void BitBtn13Click();
    void BitBtn14Click();

public:
    /// What the wizard asks of the calibration monitoring window (TForm5): is
    /// it shown, and is a recording playing (its sbPlay down). Until that
    /// window wires these, it counts as hidden and not playing.
    struct MonitoringWindow {
        std::function<bool()> visible;
        std::function<bool()> playing;
    };
    void setMonitoringWindow(MonitoringWindow m) { m_monitoring = std::move(m); }

    /// Shows a page: its tab made visible, then current.
    void showPage(QWidget *page);
    /// Index of the current page among the visible tabs, from 0 (-1: none).
    int visibleTabIndex() const;

private:
    enum class ProtocolAnswer { Loaded, Yes, No };
    /// Page-change step after every button navigation.
    void NextTab();
    /// Asks to load a protocol when none is open; Yes presses BitBtn3 and shows
    /// the protocol-data page again, No returns to the information page and
    /// hides the protocol-data tab.
    ProtocolAnswer ProtocolCheck();
    /// The current tab becomes the visible tab with that index.
    void showVisibleTab(int index);
    /// The next (+1) or previous (-1) visible, enabled tab becomes current,
    /// wrapping round as Ctrl+Tab does.
    void stepVisibleTab(int direction);
    /// Manual zero-setting controls by the probe class (bbCalibration,
    /// UpDownCAPDAC, UpDownCAPOFF, bbSetSOND, and BitBtn1 when asked). A page
    /// change does not switch them on while a tank calibration is recording.
    void applyProbeClassControls(bool withBitBtn1, bool pageChange = false);
    /// Normal (false) or engineering (true) view: menu checks, line check
    /// boxes, capacitance display, terminal menu item, settings window.
    void applyView(bool engineering);
    bool monitoringVisible() const { return m_monitoring.visible && m_monitoring.visible(); }
    bool recordingPlays() const { return m_monitoring.playing && m_monitoring.playing(); }
    /// The re-read of the sensor after a page change (READ_PARAM). The link
    /// holds it while another request awaits its reply, so it never shares the
    /// line with a chain's request.
    void requestPageRead();
    /// Fills the four editors of one end of the scale from the current C and N.
    void setScaleEndFromCurrent(QSpinBox *val, QSpinBox *nCode, QSpinBox *interRest,
                                QSpinBox *freq);

    MonitoringWindow m_monitoring;

    // ---- live view
    Timer TimerWriteDataParam; // 500 ms while the port is open
    void TimerWriteDataParamTimer();

    // ---- zero setting (capacitance offsets)
    Timer TimerDACOFF;    // 500 ms, one-shot: first CAPOFF write of a search
    Timer TimerSETCAPSET; // 1000 ms, one-shot: re-send the probe class after the search window
    Timer TimerStopedDAC; // 150 ms, one-shot: lock-out after a manual offset write
    Timer TimerlbRuhProc; // 500 ms: red blink of the zero-position indicator
    void bbCalibrationClick();
    void UpDownCAPDACClick(UpDown::Button button);
    void UpDownCAPOFFClick(UpDown::Button button);
    void meCAPDACChange();
    void meCAPOFFChange();
    void TimerDACOFFTimer();
    void TimerSETCAPSETTimer();
    void TimerStopedDACTimer();
    void TimerlbRuhProcTimer();
    /// The zero search completed: window hidden, message, the sensor identified again.
    void ZeroSearchComplete();
    /// TForm2 closed (Cancel, the attempt limit, the link loss): the abort handling.
    void Form2Close();
    /// Sends SET_SOND_LEN (select) or SET_SOND_PAR (store) with the class code
    /// of a cbFlesh item (7 - item). With no item selected nothing is sent, the
    /// user is told so, and the result is false.
    bool sendProbeClass(quint8 command, int item);
    /// The probe class the protocol stores: the selected item's text (what the
    /// sensor is given, whatever is typed in the box), or the sensor's own
    /// range text when no item is selected.
    QString probeClassText() const;
    /// Sends CAPDAC or CAPOFF to the sensor (CAPOFF low byte first).
    void sendCapdac(int value);
    void sendCapoff(int value);
    /// The text of attempt n: "Attempt n".
    QString attemptText(int n) const;
    /// Hands the progress and probe-constants windows their closing handlers.
    void wireProbeWindows();
    ZeroSearchState m_zero;
    int m_calAttempt = 0;  // CalAttempt
    int m_detectTicks = 0; // probe detection tick counter

    // ---- probe class and probe length detection
    Timer TimerControlZond;       // 1000 ms: one detection tick
    Timer TimerContZL;            // 500 ms, one-shot: SET_CAPOFF of the stored low reference
    Timer TimerReadDateLenthZond; // 100 ms, one-shot: DATA_READ during the detection
    void cbFleshSelect();
    void cbFleshChange();
    void bbSetSONDClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void N9Click();
    void TimerControlZondTimer();
    void TimerContZLTimer();
    void TimerReadDateLenthZondTimer();

    // ---- output scale and frequency output
    Timer TimerSETFSMOffset;         // 100 ms: SET_FSM_OFFSET
    Timer TimerSETFSMScale;          // 100 ms: SET_FSM_SCALE
    Timer TimerWriteSetFSMCalcParam; // 100 ms: SET_FSM_CALC_PARAM
    Timer TimerReadFSM_CALC_PARAM;   // 100 ms: GET_FSM_CALC_PARAM
    Timer TimerReadAxsK;             // 100 ms: GET_AXIS_K
    Timer TimerReadCalData;          // 100 ms: READ_CAL_DATA
    void SpeedButton1Click();
    void sbModeFSMClick();
    void seUpValChange();
    void seUpNCodeChange();
    void seUpInterRestChange();
    void seUpFreqChange();
    void seDownValChange();
    void seDownNCodeChange();
    void seDownInterRestChange();
    void seDownFreqChange();
    void BitBtn15Click();
    void BitBtn16Click();
    void BitBtn17Click();
    void BitBtn18Click();
    void cbModeFSMClick();
    void cbHUBonOffClick();
    void rbFRMAutoRefClick();
    void rbFRMRefClick();
    void udZeroLenClick(UpDown::Button button);
    void meZeroLenKeyUp();
    void udPermixClick(UpDown::Button button);
    void mePermixKeyUp();
    /// One end of the old page's scale set from a conversion; `source` (the
    /// field the user edits) is left alone.
    void setScaleEnd(bool start, const OutputScale::End &e, QWidget *source);
    /// A unit field changed (unit 0 C, 1 N, 2 percent, 3 frequency): the track
    /// bar follows C; with the focus, the other three units follow.
    void scaleFieldChanged(bool start, int unit);
    /// The full-scale switch: the mode byte written when start < end, else refused.
    void fullScaleSwitch(QToolButton *pressed, bool russianMessage);
    /// A firmware-8 switch: FsmAutoRef, the full mode byte, sent on the scale page.
    void fsm8Switch();
    void TimerSETFSMOffsetTimer();
    void TimerSETFSMScaleTimer();
    void TimerWriteSetFSMCalcParamTimer();
    void TimerReadFSM_CALC_PARAMTimer();
    void TimerReadAxsKTimer();
    void TimerReadCalDataTimer();

    // ---- inclinometer
    Timer TimerReadAzimuth;          // 100 ms, one-shot: GET_AZIMUTH
    Timer TimerReadInclinometerData; // 250 ms: GET_INCLINOMETER_DATA while "Start" is on
    void meAzzKeyUp();
    void udAzzClick(UpDown::Button button);
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void cbModeInclClick();
    void TimerReadAzimuthTimer();
    void TimerReadInclinometerDataTimer();

    // ---- calibration protocol: selection, general data, calibration start
    void N14Click();
    void BitBtn3Click();
    void bbOpenDiagram1Click();
    void BitBtn4Click();
    void bbOnChartClick();
    void cbNameUserKeyPress(int key);
    void cbNameMashineKeyPress(int key);
    /// Gives the protocol-selection window what creating and opening do here.
    void wireProtocolWindow();
    /// A new protocol at `path`: the file written empty but for its marking,
    /// the recording reset, the job page and the previous protocol's values cleared.
    bool CreateProtocol(const QString &path);
    /// Opens the protocol at `path` into the job page, the calibration table and
    /// the calibration window. A refused or damaged file changes nothing: the
    /// protocol open before stays open.
    bool OpenProtocol(const QString &path);
    /// Remembers the text of a name box in its ring of ten stored slots.
    void rememberName(QComboBox *box, const IntKey &indexKey, StringKey (*slotKey)(int));

    // ---- reports and exports
    void N6Click();
    void txt1Click();
    void N20Click();
    void WORD1Click();
    /// The open protocol as one document reads it; false (with the message
    /// shown) when none is open or it cannot be read.
    bool readOpenProtocol(ExportDocument document, ExportData &data);
    /// "Document saved:" with the paths, and a hint when no application opened it.
    QString documentSavedText(const QStringList &paths, bool opened) const;

    // ---- shell: terminal, settings windows, language, help
    void N5Click();
    void N12Click();
    void N16Click();
    void English1Click();
    void Rus1Click();
    void N10Click();
    void N13Click();
    /// Hands the terminal its menu item, caption texts and main window (once).
    void wireTerminal();
    /// Gives the calibration window what it takes from the main window: the
    /// sample of a reading, the resolution, autosave, and the main window's
    /// part of closing after a calibration.
    void wireCalibrationWindow();
    /// The main window's part of closing the calibration window after a
    /// calibration: pages enabled, port closed, job texts cleared.
    void CalibrationWindowClosed();
    /// Empties the job page's customer, vehicle and installer texts (the lists stay).
    void clearJobTexts();
    /// The job page's texts, and the same shown back after the "n.d." fill.
    JobData jobData() const;
    void showJobData(const JobData &job);
    TForm3 *m_wiredTerminal = nullptr;
};
