// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The small rules of start-up and port selection, as plain functions: the
// command line, the window caption, the port number typed into the port list,
// the speed list, the clock text. The main window and the program call them;
// tests check them with tables.

#include "link/comport.h"

#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

inline const QString ProgramTitle = QStringLiteral("Kv Ruzevuv");
inline const QString ProgramVersion = QStringLiteral("v.1.0.1.43");

/// What the command line asks for.
struct StartOptions {
    bool help = false;
    bool version = false;
    bool demo = false;
    int demoModel = 1;
    int demoFirmware = 0x53;
    /// "--port COMn": the port list shows this entry at start.
    QString port;
    /// "--connect": open the shown port once the environment check has passed.
    bool connect = false;
    /// "--log-frames FILE": every frame sent and received is appended to FILE.
    QString logFrames;
    /// The first argument that is not an option (the protocol to open when it
    /// ends in "kvi").
    QString firstArgument;
    /// Set when the command line cannot be understood; says why.
    QString error;
};

/// Parses the arguments after the program name.
StartOptions parseStartOptions(const QStringList &arguments);
/// The usage text printed by --help.
QString startUsageText();

/// Whether an argument names a protocol to open: longer than three characters
/// and ending exactly (case-sensitive) in "kvi".
bool isProtocolArgument(const QString &argument);

/// The file-name part of a protocol path for the caption: what follows the last
/// path separator ("\\" or "/"); empty for a path of three characters or less.
QString captionFileName(const QString &path);
/// "Kv Ruzevuv    [tank.kvi]" with a protocol, "Kv Ruzevuv v.1.0.1.43" without.
QString mainCaption(const QString &currentProtocolFile);

/// The port number a text of the port list names: for 4, 5 or 6 characters the
/// characters from the fourth on ("COM12" -> 12), any other text whole ("12");
/// nullopt when that is not a decimal number.
std::optional<int> portNumberFromText(const QString &text);

/// Line speed of an item of the speed list (0 … 6); nullopt for no item.
std::optional<TBaudRate> baudRateForSpeedIndex(int index);
/// Index the speed list falls back to when no item is chosen (19200 bit/s).
inline constexpr int DefaultSpeedIndex = 3;

/// "9:05:07": hours without a leading zero, minutes and seconds with two digits.
QString clockText(const QTime &time);
