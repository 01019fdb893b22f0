// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Named indices of the interface string table (LangTable) for the texts that
// code shows itself: messages, status-bar texts, captions set at run time. An
// index names the English entry; the Russian one is the entry before it. The
// texts in the comments are the English entries.

namespace Txt {
inline constexpr int Attention = 132;        // "Attention!!!"
inline constexpr int ShowTerminal = 156;     // "&Show terminal window"
inline constexpr int ChoosePort = 208;       // "Choose COM port"
inline constexpr int PortOpened = 302;       // "COM port #" (then the number, PortOpenedEnd)
inline constexpr int PortOpenedEnd = 304;    // " successfully opened"
inline constexpr int PortError = 306;        // "Error port #" (then the number)
inline constexpr int PortClosed = 308;       // "Port closed"
inline constexpr int HideTerminal = 310;     // "Hide terminal windows"
inline constexpr int SeparatorNeeded = 318;  // the decimal-comma check: what is needed
inline constexpr int SeparatorAuto = 320;    // ... that OK sets it
inline constexpr int SeparatorRestart = 322; // ... that the program must be started again
inline constexpr int SeparatorExit = 324;    // ... that Cancel ends it
inline constexpr int WriteError = 360;       // "Error write."
inline constexpr int On = 440;               // "On"
inline constexpr int Off = 442;              // "Off"
inline constexpr int NotAvailable = 444;     // "n/a"
inline constexpr int AttachProtocol = 446;   // "Necessary attach protocol"
inline constexpr int WriteSuccess = 454;     // "Data recording is completed successfully "
inline constexpr int NoLevelData = 470;      // "The protocol is not loaded or there is no data ..."
inline constexpr int FullScaleModeOn = 500;  // "On. The regime of full scale"
inline constexpr int FullScaleModeOff = 502; // "Off. The regime of full scale"
// The calibration window, its points and its two small windows.
inline constexpr int MonitoringCaption = 120;  // "Fuel tank calibration monitoring"
inline constexpr int LevelCodeN = 122;         // "Level code, N"
inline constexpr int StartValue = 124;         // "Starting Value, L"
inline constexpr int Step = 126;               // "Step, L"
inline constexpr int NextValue = 128;          // "Next Value, L"
inline constexpr int TimeS = 130;              // "Time, s"
inline constexpr int EndCalibration = 222;     // "Do you want to end calibration procedure???"
inline constexpr int ExportQuestion1 = 244;    // "If You wаnt to export calibration data"
inline constexpr int ExportQuestion2 = 246;    // "to MS Excel, press \"Yes\". ..."
inline constexpr int ExportAutosave = 248;     // "Export autosave points?"
inline constexpr int ExportAutosaveIf = 250;   // "" (Russian: "If yes, press Yes.")
inline constexpr int FuelLevel = 252;          // "Fuel level"
inline constexpr int CurrentFuel = 254;        // "Current value of the fuel"
inline constexpr int ReplaceTo = 256;          // " L. replase to:"
inline constexpr int ChangeAllLater = 258;     // "Change all subsequent point to"
inline constexpr int LitresQuestion = 260;     // " L.?"
inline constexpr int DeletePoint = 262;        // "Point with the parameters: "
inline constexpr int DeleteLevelCode = 264;    // "Level code: "
inline constexpr int DeleteLitres = 266;       // "Level in L.: "
inline constexpr int DeleteTime = 268;         // "The time from the begining of calibration: "
inline constexpr int DeleteSystemTime = 270;   // "System time: "
inline constexpr int DeleteTemperature = 272;  // " Temperature at the time of preservation: "
inline constexpr int DeleteType = 274;         // "Preservation type: "
inline constexpr int DeleteEnd = 276;          // "will be deleted"
inline constexpr int DuplicateLevel = 278;     // "The point with this level code already exists."
inline constexpr int SaveAgain = 280;          // "Save the point again?"
inline constexpr int StepZero = 282;           // "Calibration step should not be zero. ..."
inline constexpr int MenuChangeFuel = 284;     // "Change the fuel level of chosen point"
inline constexpr int MenuDeletePoint = 286;    // "Delete chosen point"
inline constexpr int MenuShowAll = 288;        // "Show all the diagram"
inline constexpr int MenuShowPoint = 290;      // "Show point on the diagram"
inline constexpr int MenuProperties = 292;     // "Properties"
inline constexpr int PointProperties = 334;    // "Property of point"
inline constexpr int PropertyNumber = 336;     // "Point # "
inline constexpr int PropertyLevel = 338;      // "Level code = "
inline constexpr int PropertyTime = 340;       // "Time on the moment of save from the begining ..."
inline constexpr int PropertySystemTime = 342; // "System time in the moment of saving point: "
inline constexpr int PropertyType = 344;       // "Preservation type: ["
inline constexpr int PropertyVolume = 346;     // "Expected fuel capacity: "
inline constexpr int LitreUnit = 348;          // " L."
inline constexpr int SecondUnit = 350;         // " s."
inline constexpr int LowFuelLevel = 352;       // "Lower fuel level is reached"
inline constexpr int ProbeDiffers1 = 294;      // "Current probe length "
inline constexpr int ProbeDiffers2 = 296;      // " is different from stored in protocol "
inline constexpr int ProbeDiffers3 = 298;   // "To apply current value and start ... press \"Yes\"."
inline constexpr int ProbeDiffers4 = 300;   // "To choose different length press \"No\""
inline constexpr int NewProtocolName = 366; // "Calibration data "
inline constexpr int ProtocolNameTaken = 368; // "Error file name protocol"

// Zero search, probe detection, probe constants.
inline constexpr int ProbeConstantsCaption = 164; // "Probe length calculation settings"
inline constexpr int EffectiveLength = 184;       // "Effective probe length is  "
inline constexpr int SetUserL = 188;              // ",\"User L\" length parameter will be set"
inline constexpr int SetUserH = 190;              // ",\"User H\" length parameter will be set"
inline constexpr int SetClass260 = 192;      // ". Set \"260\" length parameter?" (then 194 … 202)
inline constexpr int AttachProbe = 204;      // "Attach the probe before measuring"
inline constexpr int CalibrationDone = 206;  // "Calibration successfully done"
inline constexpr int ZeroSearchStatus = 210; // "The status of the value zero search"
inline constexpr int ZeroSearchCaption = 212; // "The value zero search"
inline constexpr int Attempt = 214;           // "Attempt"
inline constexpr int RangeEstimate = 216;     // "Range estimate"
inline constexpr int MeasuringProgress = 218; // "Measuring progress"
inline constexpr int ProbeLengthFailed = 362; // "Probe length measuring failed."
inline constexpr int CheckProbe = 364;        // "Check probe connection!"

// The output-scale pages.
inline constexpr int ScaleEndBelowStart = 568; // "Value end of the scale must be greater than ..."
inline constexpr int ModeRunning = 570;        // "Mode"
inline constexpr int ModeSetup = 572;          // "Setup mode"
inline constexpr int PowerOffNotice = 574;     // "Settings will take effect after the power is ..."
} // namespace Txt
