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
} // namespace Txt
