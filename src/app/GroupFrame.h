#pragma once

#include <QGroupBox>

// A group box drawn the Windows way: an etched frame whose top line runs through the middle
// of the caption. Qt's styles put the caption above the frame, which pushes the top line down
// into the controls that the dialog template places just below the caption.
class GroupFrame : public QGroupBox {
    Q_OBJECT

public:
    GroupFrame(const QString& title, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
