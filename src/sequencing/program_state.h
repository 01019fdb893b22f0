// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the running program shares between its windows, and the seams to the
// world it runs in. One ProgramState per running program: every test builds a
// fresh one, and two programs in one process share nothing.

#include "common/numfmt.h"
#include "link/frame_link.h"
#include "sensor/Var_and_function_U.h"
#include "shell/lang_table.h"
#include "tank/protocol_file.h"

#include <QString>
#include <QStringList>
#include <functional>

class Scheduler;
class Dialogs;
class DeviceProvider;
class SettingsStore;
class QPrinter;

/// The program-wide records.
struct ProgramState {
    /// SensorParam, SensorExt, FsmAutoRef, FsmCalcMode, FsmPermix, FsmCoef, InclState.
    SensorState sensor;
    /// The frame layer: ReplyHex, ReplyLengthText, CrcError, RestrictedCommands …
    FrameLink link;
    /// The calibration table of the open protocol.
    TDateProtokol ProtocolData;
    /// Full path of the open calibration protocol; empty when none is loaded.
    QString CurrentProtocolFile;
    /// Interface language: 1 Russian, 0 English.
    int Lang = 0;
    /// Numbers as the user sees and types them.
    NumberFormat number;

    // ---- reply dispatcher: state its rows read and write
    /// An automatic probe-length detection runs (set and cleared by the detection).
    bool ProbeDetectActive = false;
    /// Zero-search step guard: the dispatcher arms it after every step call.
    bool CalStepArmed = false;
    /// Data replies handled by the current zero-search attempt.
    int CalStepCount = 0;
    /// C of the last live-data reply, for the zero search.
    int CalMeasuredC = 0;
    /// N of the reading being processed, before the recording's autosave decision.
    int IncomingLevelCode = 0;
    /// Latest level code N.
    int LevelCode = 0;
    /// C of the last accepted DATA_READ reply (not the watchdog's zeros): the
    /// capacitance code the recording stores with its points.
    int ReadingC = 0;
    /// "Err" once a sensor with another serial number has been identified.
    QString ProtocolStatusText;

    /// LangTable text K (the English index) in the current language.
    QString text(int K) const { return LangText(K, Lang); }
};

/// The seams the program talks to the world through. The program wires the real
/// ones; tests wire a simulated clock, scripted dialogs and a virtual sensor.
struct ProgramWorld {
    Scheduler *scheduler = nullptr;
    Dialogs *dialogs = nullptr;
    /// COMn -> device: the port folder, and in demo mode the built-in sensor first.
    DeviceProvider *ports = nullptr;
    SettingsStore *settings = nullptr;
    /// Command-line arguments after the program name.
    QStringList arguments;
    /// Folders where "FMSParameter.ini" is looked up (working dir, then beside the program).
    QStringList fmsSearchDirs;
    /// Opens a file in the desktop's application; false when no launcher started.
    std::function<bool(const QString &path)> openDocument;
    /// The print dialog on `printer`; false when the user cancelled.
    std::function<bool(QPrinter &printer)> choosePrinter;
};
