// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Small widgets the main window needs and Qt does not have as such. Each keeps
// the state the window's procedures read and write (position, item index,
// progress, colour, running) as a property, so the .ui file can set it at
// design time and handlers read it like any other control.

#include <QColor>
#include <QGroupBox>
#include <QProgressBar>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QGridLayout;
class QTimer;
class QToolButton;

/// An up-down pair of arrow buttons holding an integer position within
/// minimum … maximum. A click moves the position by the increment (held at the
/// bounds) and then emits clicked() with the arrow pressed, so a handler sees
/// the new position. Setting the position from code clamps it and emits no
/// clicked().
class QLineEdit;

class UpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int increment READ increment WRITE setIncrement)
    Q_PROPERTY(int position READ position WRITE setPosition NOTIFY positionChanged)
public:
    enum Button { Next, Prev }; // Next = up arrow (position grows), Prev = down arrow
    Q_ENUM(Button)

    explicit UpDown(QWidget *parent = nullptr);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int increment() const { return m_increment; }
    int position() const { return m_position; }
    void setMinimum(int v);
    void setMaximum(int v);
    void setRange(int min, int max);
    void setIncrement(int v) { m_increment = v; }
    void setPosition(int v);

    /// Presses an arrow as the user would (tests and the "press" of a handler).
    void click(Button button);

    /// Ties the arrows to an edit: the position is written into it, and a whole
    /// number typed into it is the position (kept to the range; other text
    /// leaves the last position in force).
    void setBuddy(QLineEdit *edit);
    QLineEdit *buddy() const { return m_buddy; }
    /// position() with the buddy's text taken into account.
    int buddyPosition() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void clicked(UpDown::Button button);
    void positionChanged(int position);

private:
    QToolButton *m_up;
    QToolButton *m_down;
    QLineEdit *m_buddy = nullptr;
    int m_min = 0;
    int m_max = 100;
    int m_increment = 1;
    int m_position = 0;
};

/// A titled group of radio buttons built from a list of items; itemIndex is the
/// checked item (-1: none). clicked() is emitted when the user checks an item;
/// setItemIndex() from code does not emit it.
class RadioGroupBox : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
    Q_PROPERTY(int columns READ columns WRITE setColumns)
public:
    explicit RadioGroupBox(QWidget *parent = nullptr);

    QStringList items() const { return m_items; }
    /// Replaces the items; the item index is kept when it still exists, else -1.
    void setItems(const QStringList &items);
    int itemIndex() const;
    void setItemIndex(int index);
    int columns() const { return m_columns; }
    void setColumns(int columns);
    int count() const { return int(m_items.size()); }
    /// Checks item index as the user would and emits clicked().
    void clickItem(int index);

Q_SIGNALS:
    void clicked();
    void itemIndexChanged(int index);

private:
    void rebuild();

    QStringList m_items;
    int m_columns = 1;
    QGridLayout *m_grid;
    QButtonGroup *m_buttons;
};

/// A bar gauge. progress is held within minimum … maximum (a value outside is
/// clamped, not ignored as QProgressBar::setValue would do).
class Gauge : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(int progress READ progress WRITE setProgress)
public:
    explicit Gauge(QWidget *parent = nullptr);
    int progress() const { return value(); }
    void setProgress(int v);
};

/// The round connection lamp; its colour is state that other code reads
/// (the reply handling toggles green and maroon).
class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    explicit Lamp(QWidget *parent = nullptr);
    QColor color() const { return m_color; }
    void setColor(const QColor &c);
    QSize sizeHint() const override { return QSize(14, 14); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor m_color = QColor(0, 128, 0);
};

/// Busy indicator: a ring of dots turning while active. Its animation is
/// purely visual and runs on a QTimer of its own only while active and shown.
class BusyIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool active READ isActive WRITE setActive)
public:
    explicit BusyIndicator(QWidget *parent = nullptr);
    bool isActive() const { return m_active; }
    void setActive(bool on);
    QSize sizeHint() const override { return QSize(28, 28); }

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *) override;
    void hideEvent(QHideEvent *) override;

private:
    void updateTimer();

    QTimer *m_timer;
    bool m_active = false;
    int m_step = 0;
};

/// Puts a right-aligned number ("%5.1f", "%5.2f") into an edit with a digit
/// mask. The masks have "0" as the blank character and a leading blank would
/// push the digits one place left ("  5,6" would show as 500,6 in "999,9"), so
/// blanks go in as zeros and the field reads back the value it shows.
void setMaskedNumber(QLineEdit *edit, QString text);
