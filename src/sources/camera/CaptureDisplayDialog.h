#pragma once

#include "sources/camera/CaptureControl.h"
#include "sources/camera/ControlWriting.h"

#include <QDialog>

#include <cstdint>
#include <map>
#include <vector>

class QLabel;

// The driver's video-display dialog: one slider, check box, list or button per device
// control, under a heading per control class. Every change reaches the device at once, so
// the picture shows it; then all controls are read back, so that a control an automatic
// mode frees or takes shows it at once, and a refused value is named and replaced by the
// device's own. "Defaults" writes every default; Cancel puts back what the dialog changed,
// undoing the changes from the last to the first.
class CaptureDisplayDialog : public QDialog {
    Q_OBJECT

public:
    CaptureDisplayDialog(QWidget* parent, const QString& deviceName, CaptureControlDevice& device);

    void reject() override;

private:
    QWidget* MakeEditor(const CaptureControl& control);
    QWidget* MakeSlider(const CaptureControl& control);
    QWidget* MakeCheckBox(const CaptureControl& control);
    QWidget* MakeMenu(const CaptureControl& control);
    QWidget* MakeButton(const CaptureControl& control);
    void Write(uint32_t id, int32_t value);
    void RememberOriginal(uint32_t id);
    void SetDefaults();
    void ReadBack();
    void ShowControl(const CaptureControl& control);

    CaptureControlDevice& m_device;
    std::vector<CaptureControl> m_controls;
    std::map<uint32_t, QWidget*> m_editors;
    // The values before the dialog first changed each control, in the order of the changes.
    ControlValues m_originals;
    QLabel* m_status = nullptr;
};
