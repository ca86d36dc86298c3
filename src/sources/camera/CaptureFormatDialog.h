#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

class QComboBox;

// A pixel format a device offers, with the frame sizes it lists for it.
struct CaptureFormatChoice {
    uint32_t pixelFormat = 0;
    QString description;
    std::vector<QSize> sizes;
};

// The driver's video-format dialog: the user picks a pixel format and a frame size.
class CaptureFormatDialog : public QDialog {
    Q_OBJECT

public:
    CaptureFormatDialog(QWidget* parent, std::vector<CaptureFormatChoice> formats, uint32_t currentFormat,
                        QSize currentSize);

    uint32_t selectedFormat() const;
    QSize selectedSize() const;

private:
    void FillSizes(QSize preferred);

    std::vector<CaptureFormatChoice> m_formats;
    QComboBox* m_formatBox = nullptr;
    QComboBox* m_sizeBox = nullptr;
};
