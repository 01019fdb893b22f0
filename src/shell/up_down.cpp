#include "shell/up_down.h"

#include "common/numfmt.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_up->setAutoRepeat(true);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    m_down->setAutoRepeat(true);
    for (QToolButton *b : {m_up, m_down}) {
        b->setFixedSize(18, 11);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { step(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void UpDown::setBuddy(QLineEdit *edit)
{
    m_buddy = edit;
}

void UpDown::setRange(int min, int max)
{
    m_min = min;
    m_max = qMax(min, max);
    m_position = qBound(m_min, m_position, m_max);
}

int UpDown::position() const
{
    if (m_buddy)
        if (const auto v = NumberFormat::parseInt(m_buddy->text()))
            return int(qBound(qint64(m_min), *v, qint64(m_max)));
    return m_position;
}

void UpDown::setPosition(int value)
{
    m_position = qBound(m_min, value, m_max);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

void UpDown::step(int delta)
{
    setPosition(position() + delta);
    Q_EMIT clicked();
}
