// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Buttons as assistive technology and automation see them.
//
// The windows react to a button's clicked() only, so that a state the program
// sets itself (setChecked, a group putting a button up) runs no handler. Qt's
// own accessible buttons do not click for every action: "Toggle" on a check
// box, a radio button or a two-state button only flips its checked state, so a
// screen reader or a test robot could put Start down without starting
// anything. installButtonActions() gives every button without a menu an
// accessible interface whose actions are a click, nothing more and nothing
// less, so a control has the same effect whatever operates it. The click
// comes once the action's call has returned, as with Qt's own buttons, so a
// button that opens a modal window answers the client first.

class QAbstractButton;
class QAccessibleInterface;

namespace Accessibility {

/// Installs the button interfaces for the whole application. Call once a
/// QApplication exists and before any button's interface is asked for;
/// repeated calls change nothing.
void installButtonActions();

} // namespace Accessibility
