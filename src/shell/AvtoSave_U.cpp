// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/AvtoSave_U.h"

#include "ui_AvtoSave_U.h"

#include "common/dialogs.h"
#include "common/numfmt.h"
#include "shell/settings_store.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QScreen>

namespace {
constexpr int WindowHeight = 358;
const char *const BadConstantText = "Неверно введена константа автосохранения.";
} // namespace

TForm7::TForm7(SettingsStore &store, Dialogs *dialogs, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TForm7>()), m_store(store), m_dialogs(dialogs)
{
    m_ui->setupUi(this);
    // Fixed size, a title but no title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_ui->UpDown1->setBuddy(m_ui->meAvtoSave);
    m_ui->UpDown1->setRange(SettingsKeys::ConstSave.min, SettingsKeys::ConstSave.max);
    m_ui->UpDown1->setPosition(SettingsKeys::ConstSave.def);
    m_ui->edPrefixRezString->setText(SettingsKeys::DefaultPrefix);
    m_ui->edSufixRezString->setText(SettingsKeys::DefaultSufix);
    m_ui->edPrefixRezString->setCursorPosition(0);
    m_ui->edSufixRezString->setCursorPosition(0);
    // The radio items have no text: their labels beside them select them too.
    m_ui->Label2->installEventFilter(this);
    m_ui->Label3->installEventFilter(this);

    connect(m_ui->rgAvtoSaveItem0, &QRadioButton::clicked, this, &TForm7::rgAvtoSaveClick);
    connect(m_ui->rgAvtoSaveItem1, &QRadioButton::clicked, this, &TForm7::rgAvtoSaveClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TForm7::BitBtn1Click);

    m_engineering = m_store.get(SettingsKeys::View) != 0;
    FormCreate();
    setFixedSize(qMax(440, sizeHint().width()), WindowHeight);
}

TForm7::~TForm7() = default;

void TForm7::FormCreate()
{
    using namespace SettingsKeys;
    setAvtoSaveIndex(m_store.get(Save));
    m_ui->UpDown1->setPosition(m_store.get(ConstSave));
    m_ui->cbRefCTS->setChecked(m_store.get(RefCTS));
    m_ui->edPrefixRezString->setText(m_store.get(PrefixStr));
    m_ui->edSufixRezString->setText(m_store.get(SufixStr));
    m_ui->edPrefixRezString->setCursorPosition(0);
    m_ui->edSufixRezString->setCursorPosition(0);
    m_ui->cbforTarnet->setChecked(m_store.get(TARNETcb));
    m_ui->GroupBox1->setVisible(m_engineering);
    rgAvtoSaveClick();
}

void TForm7::FormPaint()
{
    if (m_engineering) {
        m_ui->GroupBox1->setVisible(true);
    } else {
        m_ui->GroupBox1->setVisible(false);
        m_ui->cbRefCTS->setChecked(false);
    }
    setFixedHeight(WindowHeight);
}

void TForm7::rgAvtoSaveClick()
{
    const bool allowed = avtoSaveIndex() == 0;
    m_ui->meAvtoSave->setEnabled(allowed);
    m_ui->UpDown1->setEnabled(allowed);
}

void TForm7::BitBtn1Click()
{
    if (!NumberFormat::parseInt(m_ui->meAvtoSave->text())) {
        m_ui->meAvtoSave->setText(QStringLiteral("0"));
        if (m_dialogs)
            m_dialogs->show(QString::fromUtf8(BadConstantText));
        return;
    }
    close(); // saves (closeEvent)
    returnToMainWindow();
}

void TForm7::FormClose()
{
    using namespace SettingsKeys;
    const StoreResult results[] = {
        m_store.set(Save, avtoSaveIndex()), m_store.set(ConstSave, avtoSaveConstant()),
        m_store.set(RefCTS, refCTS()),      m_store.set(PrefixStr, prefixText()),
        m_store.set(SufixStr, sufixText()), m_store.set(TARNETcb, forTarnet()),
    };
    for (const StoreResult &r : results)
        if (!r.ok) {
            qWarning("%s", qPrintable(r.error));
            break;
        }
}

void TForm7::Open(QWidget *mainWindow)
{
    m_mainWindow = mainWindow;
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    // Disabling the main window also disables the windows it owns; this one
    // must stay usable or OK could never be pressed.
    setEnabled(true);
    show();
    raise();
    activateWindow();
}

void TForm7::setEngineeringView(bool engineering)
{
    m_engineering = engineering;
    if (isVisible())
        FormPaint();
}

int TForm7::avtoSaveIndex() const
{
    return m_ui->rgAvtoSaveItem0->isChecked() ? 0 : 1;
}
int TForm7::avtoSaveConstant() const
{
    return m_ui->UpDown1->buddyPosition();
}
bool TForm7::refCTS() const
{
    return m_ui->cbRefCTS->isChecked();
}
QString TForm7::prefixText() const
{
    return m_ui->edPrefixRezString->text();
}
QString TForm7::sufixText() const
{
    return m_ui->edSufixRezString->text();
}
bool TForm7::forTarnet() const
{
    return m_ui->cbforTarnet->isChecked();
}

void TForm7::setAvtoSaveIndex(int index)
{
    (index == 0 ? m_ui->rgAvtoSaveItem0 : m_ui->rgAvtoSaveItem1)->setChecked(true);
}

void TForm7::returnToMainWindow()
{
    QWidget *main = m_mainWindow ? m_mainWindow : parentWidget();
    if (!main)
        return;
    main->setEnabled(true);
    hide();
    main->activateWindow();
    main->setFocus();
}

void TForm7::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Every show is followed by a paint; the view rule applies from the first.
    FormPaint();
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

void TForm7::closeEvent(QCloseEvent *event)
{
    FormClose();
    // However the window closes, the main window must not stay disabled.
    if (QWidget *main = m_mainWindow ? m_mainWindow : parentWidget())
        main->setEnabled(true);
    QDialog::closeEvent(event);
}

bool TForm7::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        QRadioButton *item = watched == m_ui->Label2   ? m_ui->rgAvtoSaveItem0
                             : watched == m_ui->Label3 ? m_ui->rgAvtoSaveItem1
                                                       : nullptr;
        if (item && item->isEnabled()) {
            item->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
