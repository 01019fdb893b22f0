// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QKeySequence>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

// A caption without its mnemonic marks ("&Open" -> "Open", "&&" -> "&").
QString withoutMnemonic(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
                out += QLatin1Char('&');
            ++i;
            if (i < text.size() && text.at(i) != QLatin1Char('&'))
                out += text.at(i);
            continue;
        }
        out += text.at(i);
    }
    return out;
}

class ClickButtonInterface : public QAccessibleWidget {
public:
    explicit ClickButtonInterface(QAbstractButton *b) : QAccessibleWidget(b, QAccessible::Button)
    {
    }

    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }

    QAccessible::Role role() const override
    {
        if (qobject_cast<QRadioButton *>(button()))
            return QAccessible::RadioButton;
        if (qobject_cast<QCheckBox *>(button()))
            return QAccessible::CheckBox;
        if (button()->isCheckable())
            return button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
        return QAccessible::Button;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        QAbstractButton *b = button();
        s.checkable = b->isCheckable();
        s.checked = b->isChecked();
        if (auto *cb = qobject_cast<QCheckBox *>(b); cb && !b->isChecked())
            s.checkStateMixed = cb->checkState() == Qt::PartiallyChecked;
        s.pressed = b->isDown();
        if (auto *pb = qobject_cast<QPushButton *>(b))
            s.defaultButton = pb->isDefault();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        QString s;
        if (t == QAccessible::Name) {
            s = widget()->accessibleName();
            if (s.isEmpty())
                s = withoutMnemonic(button()->text());
        } else if (t == QAccessible::Accelerator) {
            auto *pb = qobject_cast<QPushButton *>(button());
            s = pb && pb->isDefault()
                    ? QKeySequence(Qt::Key_Enter).toString(QKeySequence::NativeText)
                    : QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
        }
        return s.isEmpty() ? QAccessibleWidget::text(t) : s;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled())
            names << (button()->isCheckable() ? toggleAction() : pressAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction() || name == toggleAction()) {
            // The click a mouse would make: the button's state changes and its
            // clicked() runs the window's handler once. It is made after this
            // call has returned: a handler that opens a modal window (a file
            // dialog, a question) runs that window's event loop, and inside the
            // call the client would wait for its reply and never see the new
            // window. A disabled button ignores the action, as it ignores the
            // mouse, and so does one disabled or destroyed before the click.
            if (!widget()->isEnabled())
                return;
            QAbstractButton *b = button();
            QMetaObject::invokeMethod(
                b,
                [b] {
                    if (b->isEnabled())
                        b->click();
                },
                Qt::QueuedConnection);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

    QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name == pressAction() || name == toggleAction()) {
            const QKeySequence k = button()->shortcut();
            if (!k.isEmpty())
                return {k.toString(QKeySequence::NativeText)};
        }
        return {};
    }
};

QAccessibleInterface *buttonFactory(const QString &, QObject *object)
{
    auto *b = qobject_cast<QAbstractButton *>(object);
    if (!b)
        return nullptr;
    // Buttons that open a menu keep Qt's own interface (its "ShowMenu").
    if (auto *pb = qobject_cast<QPushButton *>(b); pb && pb->menu())
        return nullptr;
    if (auto *tb = qobject_cast<QToolButton *>(b); tb && tb->menu())
        return nullptr;
    return new ClickButtonInterface(b);
}

} // namespace

namespace Accessibility {

void installButtonActions()
{
    // Factories installed later are asked first, so this one comes before the
    // widget factory QApplication installed; installing it twice is a no-op.
    QAccessible::installFactory(buttonFactory);
}

} // namespace Accessibility
