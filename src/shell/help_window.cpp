// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/help_window.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerHelpResources()
{
    Q_INIT_RESOURCE(help);
}

void initHelpResources()
{
    static bool done = false;
    if (!done) {
        registerHelpResources();
        done = true;
    }
}

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this))
{
    initHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(720, 640);

    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    m_browser->document()->setDocumentMargin(12);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);

    auto *closeKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
    // The window title follows the guide's own title, so it is in the guide's language.
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this]() { setWindowTitle(m_browser->documentTitle()); });
}

QUrl HelpWindow::guideUrl(int Lang)
{
    return QUrl(Lang >= 1 ? QStringLiteral("qrc:/help/guide_ru.html")
                          : QStringLiteral("qrc:/help/guide_en.html"));
}

void HelpWindow::loadGuide(int Lang)
{
    const QUrl url = guideUrl(Lang);
    if (m_browser->source() == url)
        m_browser->reload();
    else
        m_browser->setSource(url);
    setWindowTitle(m_browser->documentTitle());
}

void HelpWindow::showHelp(int Lang)
{
    loadGuide(Lang);
    m_browser->scrollToAnchor(QStringLiteral("top"));
    show();
    raise();
    activateWindow();
}
