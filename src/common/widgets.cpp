// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

// ---- UpDown

UpDown::UpDown(QWidget *parent) : QWidget(parent)
{
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
        b->setFocusPolicy(Qt::NoFocus);
        lay->addWidget(b);
    }
    // The arrows are named after the up-down ("UpDown1_Up", "UpDown1_Down"), so a
    // window's language pass and its tests find them.
    connect(this, &QObject::objectNameChanged, this, [this](const QString &name) {
        m_up->setObjectName(name + QStringLiteral("_Up"));
        m_down->setObjectName(name + QStringLiteral("_Down"));
    });
    connect(m_up, &QToolButton::clicked, this, [this] { click(Next); });
    connect(m_down, &QToolButton::clicked, this, [this] { click(Prev); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize UpDown::sizeHint() const
{
    return QSize(18, 24);
}

void UpDown::setMinimum(int v)
{
    setRange(v, std::max(v, m_max));
}

void UpDown::setMaximum(int v)
{
    setRange(std::min(m_min, v), v);
}

void UpDown::setRange(int min, int max)
{
    m_min = min;
    m_max = std::max(min, max);
    setPosition(m_position);
}

void UpDown::setPosition(int v)
{
    const int clamped = std::clamp(v, m_min, m_max);
    if (m_buddy)
        m_buddy->setText(QString::number(clamped));
    if (clamped == m_position)
        return;
    m_position = clamped;
    Q_EMIT positionChanged(m_position);
}

void UpDown::setBuddy(QLineEdit *edit)
{
    if (m_buddy)
        disconnect(m_buddy, nullptr, this, nullptr);
    m_buddy = edit;
    if (!m_buddy)
        return;
    m_buddy->setText(QString::number(m_position));
    // A typed number is the position at once (the text is left as typed).
    connect(m_buddy, &QLineEdit::textEdited, this, [this] {
        const int p = buddyPosition();
        if (p == m_position)
            return;
        m_position = p;
        Q_EMIT positionChanged(m_position);
    });
    // A number beyond the range shows the position it was kept to once the
    // field is left, so the field never shows what is not stored.
    connect(m_buddy, &QLineEdit::editingFinished, this, [this] {
        bool ok = false;
        (void)m_buddy->text().trimmed().toLongLong(&ok);
        if (ok && m_buddy->text() != QString::number(m_position))
            m_buddy->setText(QString::number(m_position));
    });
}

int UpDown::buddyPosition() const
{
    if (m_buddy) {
        bool ok = false;
        const qint64 v = m_buddy->text().trimmed().toLongLong(&ok);
        if (ok)
            return int(std::clamp<qint64>(v, m_min, m_max));
    }
    return m_position;
}

void UpDown::click(Button button)
{
    if (!isEnabled())
        return;
    if (m_buddy)
        m_position = buddyPosition(); // the arrows step from what was typed
    // Widen before adding so a large increment near INT_MAX cannot overflow.
    const qint64 next = qint64(m_position) + (button == Next ? m_increment : -m_increment);
    setPosition(int(std::clamp<qint64>(next, m_min, m_max)));
    Q_EMIT clicked(button);
}

// ---- RadioGroupBox

RadioGroupBox::RadioGroupBox(QWidget *parent) : QGroupBox(parent)
{
    m_grid = new QGridLayout(this);
    m_buttons = new QButtonGroup(this);
    m_buttons->setExclusive(true);
    connect(m_buttons, &QButtonGroup::idClicked, this, [this](int id) {
        Q_EMIT itemIndexChanged(id);
        Q_EMIT clicked();
    });
}

void RadioGroupBox::setItems(const QStringList &items)
{
    const int keep = itemIndex();
    m_items = items;
    rebuild();
    setItemIndex(keep < count() ? keep : -1);
}

int RadioGroupBox::itemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroupBox::setItemIndex(int index)
{
    if (index == itemIndex())
        return;
    if (index < 0 || index >= count()) {
        // An exclusive group cannot uncheck its last button; lift it briefly.
        if (QAbstractButton *b = m_buttons->checkedButton()) {
            m_buttons->setExclusive(false);
            b->setChecked(false);
            m_buttons->setExclusive(true);
        }
    } else {
        m_buttons->button(index)->setChecked(true);
    }
    Q_EMIT itemIndexChanged(itemIndex());
}

void RadioGroupBox::setColumns(int columns)
{
    columns = std::max(1, columns);
    if (columns == m_columns)
        return;
    const int keep = itemIndex();
    m_columns = columns;
    rebuild();
    setItemIndex(keep);
}

void RadioGroupBox::clickItem(int index)
{
    if (QAbstractButton *b = m_buttons->button(index))
        b->click();
}

void RadioGroupBox::rebuild()
{
    for (QAbstractButton *b : m_buttons->buttons()) {
        m_buttons->removeButton(b);
        delete b;
    }
    const int rows = (count() + m_columns - 1) / m_columns;
    for (int i = 0; i < count(); ++i) {
        auto *b = new QRadioButton(m_items.at(i), this);
        b->setObjectName(objectName() + QStringLiteral("_Item%1").arg(i));
        m_buttons->addButton(b, i);
        // Fill column by column, as a radio group with several columns does.
        m_grid->addWidget(b, rows ? i % rows : 0, rows ? i / rows : 0);
        // Tab reaches the items where the group stands, not after the window's
        // last control.
        QWidget *before = i == 0 ? previousInFocusChain() : m_buttons->button(i - 1);
        if (before && before != b && before->window() == window())
            QWidget::setTabOrder(before, b);
    }
}

// ---- Gauge

Gauge::Gauge(QWidget *parent) : QProgressBar(parent)
{
    setMinimum(0);
    setMaximum(100);
    setValue(0);
    setTextVisible(false);
}

void Gauge::setProgress(int v)
{
    setValue(std::clamp(v, minimum(), maximum()));
}

// ---- Lamp

Lamp::Lamp(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setColor(const QColor &c)
{
    if (c == m_color)
        return;
    m_color = c;
    update();
}

void Lamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = std::min(width(), height()) - 2;
    const QRectF r((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    p.setPen(QPen(m_color.darker(160), 1));
    QRadialGradient g(r.center() - QPointF(d / 5.0, d / 5.0), d * 0.7);
    g.setColorAt(0, m_color.lighter(160));
    g.setColorAt(1, m_color);
    p.setBrush(g);
    p.drawEllipse(r);
}

// ---- BusyIndicator

BusyIndicator::BusyIndicator(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 8;
        update();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void BusyIndicator::setActive(bool on)
{
    m_active = on;
    updateTimer();
    update();
}

void BusyIndicator::showEvent(QShowEvent *)
{
    updateTimer();
}

void BusyIndicator::hideEvent(QHideEvent *)
{
    updateTimer();
}

void BusyIndicator::updateTimer()
{
    if (m_active && isVisible())
        m_timer->start();
    else
        m_timer->stop();
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    const qreal dot = side / 7.0;
    const QColor base = palette().color(QPalette::Highlight);
    for (int i = 0; i < 8; ++i) {
        QColor c = base;
        // The dot at the current step is solid; the ones behind it fade out.
        const int age = (m_step - i + 8) % 8;
        c.setAlphaF(m_active ? 1.0 - age / 9.0 : 0.25);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.save();
        p.rotate(i * 45.0);
        p.drawEllipse(QPointF(0, -(side / 2.0 - dot)), dot / 2.0 + 0.5, dot / 2.0 + 0.5);
        p.restore();
    }
}

void setMaskedNumber(QLineEdit *edit, QString text)
{
    edit->setText(text.replace(QLatin1Char(' '), QLatin1Char('0')));
}
