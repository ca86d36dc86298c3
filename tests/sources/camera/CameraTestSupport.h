#pragma once

#include "imaging/FrameRecord.h"
#include "sources/camera/CameraFrameSink.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

// Keeps a copy of every frame a camera hands on.
class RecordingSink : public CameraFrameSink {
public:
    void ProcessCameraFrame(FrameRecord& frame, int fps) override;

    std::vector<FrameRecord> frames;
    std::vector<int> rates;
};

// Processes events until the condition holds; false after a generous timeout.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 30000);

// The child widget of the dialog with this accessible name, or nullptr.
template <typename Widget>
Widget* FindByAccessibleName(QDialog& dialog, const QString& name)
{
    for (Widget* widget : dialog.findChildren<Widget*>()) {
        if (widget->accessibleName() == name)
            return widget;
    }
    return nullptr;
}

// Presses the dialog's button with this accessible name and returns the dialog's result.
int ClickButton(QDialog& dialog, const QString& name);

// The bytes of one pixel of a record: row counted in memory order (bottom-up records keep
// the picture's bottom line in row 0).
std::vector<uint8_t> PixelAt(const FrameRecord& frame, int row, int column);

class QMessageBox;
class CaptureFormatDialog;
class CaptureDisplayDialog;

// Answers the modal dialogs a camera shows and keeps the order they came in ("question",
// "format", "display"). Unset answers: No to the question, OK to the driver dialogs.
struct DialogScript {
    std::vector<QString> shown;
    std::vector<QString> questions;
    std::function<int(QMessageBox&)> onQuestion;
    std::function<int(CaptureFormatDialog&)> onFormat;
    std::function<int(CaptureDisplayDialog&)> onDisplay;

    int Answer(QDialog& dialog);
};

// Picks a frame size (and, when given, a pixel format) and presses OK.
int ChooseFormat(CaptureFormatDialog& dialog, const QString& size, const QString& format = QString());
