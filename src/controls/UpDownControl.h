#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// What reading an up-down control gives: when the buddy's text is not a whole number within
// the range, the previous position comes back with `invalid` set.
struct UpDownPosition {
    int position = 0;
    bool invalid = false;
};

// Two arrow buttons beside a buddy edit that step a position within a range and write it
// into the buddy as plain decimal text. The buddy's text is parsed before every step and
// every read, so a number the user typed counts (unlike QSpinBox, which refuses typed values
// out of range instead of keeping the last good position).
class UpDownControl : public QWidget {
    Q_OBJECT

public:
    // How far the arrows reach over a framed buddy's right border.
    static constexpr int kBuddyBorderOverlap = 2;

    explicit UpDownControl(QWidget* parent = nullptr);

    // Takes the edit as buddy: sits at its right edge, over its border, as tall as it, and
    // narrows the edit to make room. The arrow keys in the buddy then step the position too.
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return m_buddy; }

    void SetRange(int lower, int upper);
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }

    // Limits the position to the range and writes it into the buddy.
    void SetPos(int position);
    // Takes over the buddy's number when it is valid; otherwise keeps the last position.
    UpDownPosition GetPos();

    // One step up (+1) or down (-1), as a click on an arrow does.
    void Step(int delta);

signals:
    // The user moved the position with an arrow button or arrow key.
    void positionChanged(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* MakeArrowButton(Qt::ArrowType arrow, const QString& name, int delta);
    void WriteBuddyText();

    QLineEdit* m_buddy = nullptr;
    QToolButton* m_upButton = nullptr;
    QToolButton* m_downButton = nullptr;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
};
