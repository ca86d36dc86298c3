#pragma once

#include "sources/camera/CaptureControl.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <vector>

// The driver's video-display dialog: one slider, check box or list per device control.
// Every change reaches the device at once, so the picture shows it; Cancel puts back the
// values the dialog started with.
class CaptureDisplayDialog : public QDialog {
    Q_OBJECT

public:
    using ApplyControl = std::function<void(uint32_t id, int32_t value)>;

    CaptureDisplayDialog(QWidget* parent, std::vector<CaptureControl> controls, ApplyControl apply);

    void reject() override;

private:
    QWidget* MakeEditor(const CaptureControl& control);
    QWidget* MakeSlider(const CaptureControl& control);
    QWidget* MakeCheckBox(const CaptureControl& control);
    QWidget* MakeMenu(const CaptureControl& control);

    std::vector<CaptureControl> m_controls;
    ApplyControl m_apply;
};
