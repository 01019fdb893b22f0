#pragma once
// A pair of arrow buttons tied to an edit: the arrows step a position within a
// range and write it into the edit; a whole number typed into the edit is the
// position (kept to the range). Text that is not a whole number leaves the
// last position in force.

#include <QWidget>

class QLineEdit;
class QToolButton;

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget *parent = nullptr);

    void setBuddy(QLineEdit *edit);
    QLineEdit *buddy() const { return m_buddy; }
    void setRange(int min, int max);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

    /// The edit's whole number kept to the range, else the last position.
    int position() const;
    /// Keeps `value` to the range and writes it into the edit.
    void setPosition(int value);

Q_SIGNALS:
    /// An arrow was pressed (after the position changed).
    void clicked();

private:
    void step(int delta);

    QLineEdit *m_buddy = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};
