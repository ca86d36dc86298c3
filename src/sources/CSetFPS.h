#pragma once

#include <QDialog>

class QComboBox;

// The frame-rate dialog of "Cam setup": 7, 15, 30 or 60 frames per second, 30 until the
// user picks another rate and presses OK.
class CSetFPS : public QDialog {
    Q_OBJECT

public:
    static constexpr int kRateComboId = 1041;

    explicit CSetFPS(QWidget* parent = nullptr);

    int FramesPerSecond() const { return m_nFPS; }

    void accept() override;

private:
    void CreateControls();
    void OnInitDialog();
    void OnOK();

    QComboBox* m_rateBox = nullptr;
    int m_nFPS = 30;
};
