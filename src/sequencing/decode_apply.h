// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Helpers the applied decoders use on the main window's page control. The
// wizard's pages are the widgets of one QTabWidget; a page "hidden" keeps its
// place but loses its tab, and the wizard counts only the visible tabs.

#include <QStringList>

class QTabWidget;
class QWidget;

namespace pages {

/// Puts the listed pages (by objectName) into the listed order, using the
/// places they hold now; pages not listed keep their place. Names that are not
/// pages of the control are ignored. Visibility and the current page are kept.
void applyOrder(QTabWidget *control, const QStringList &order);

/// Shows or hides the tab of the page with this objectName; false when there is none.
bool setTabVisible(QTabWidget *control, const QString &name, bool visible);

/// Index of the current page among the visible tabs, −1 when none is current.
int visibleIndex(const QTabWidget *control);

/// objectNames of the pages with a visible tab, in tab order.
QStringList visibleNames(const QTabWidget *control);

} // namespace pages
