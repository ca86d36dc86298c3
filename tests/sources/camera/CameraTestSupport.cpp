#include "sources/camera/CameraTestSupport.h"

#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

void RecordingSink::ProcessCameraFrame(FrameRecord& frame, int fps)
{
    frames.emplace_back(frame.data(), frame.size());
    rates.push_back(fps);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

int ClickButton(QDialog& dialog, const QString& name)
{
    if (!dialog.isVisible())
        dialog.show();
    auto* button = FindByAccessibleName<QAbstractButton>(dialog, name);
    EXPECT_NE(button, nullptr) << name.toStdString();
    if (button != nullptr)
        QTest::mouseClick(button, Qt::LeftButton);
    return dialog.result();
}

std::vector<uint8_t> PixelAt(const FrameRecord& frame, int row, int column)
{
    const BitmapInfoHeader header = frame.header();
    const std::size_t bytesPerPixel = header.biBitCount / 8;
    const std::size_t offset = (std::size_t(row) * std::size_t(header.biWidth) + std::size_t(column)) * bytesPerPixel;
    const uint8_t* pixel = frame.pixels() + offset;
    return {pixel, pixel + bytesPerPixel};
}

int DialogScript::Answer(QDialog& dialog)
{
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        shown.push_back(QStringLiteral("question"));
        questions.push_back(box->text());
        return onQuestion ? onQuestion(*box) : QMessageBox::No;
    }
    if (auto* format = qobject_cast<CaptureFormatDialog*>(&dialog)) {
        shown.push_back(QStringLiteral("format"));
        return onFormat ? onFormat(*format) : ClickButton(dialog, QStringLiteral("OK"));
    }
    if (auto* display = qobject_cast<CaptureDisplayDialog*>(&dialog)) {
        shown.push_back(QStringLiteral("display"));
        return onDisplay ? onDisplay(*display) : ClickButton(dialog, QStringLiteral("OK"));
    }
    ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
    return QDialog::Rejected;
}

int ChooseFormat(CaptureFormatDialog& dialog, const QString& size, const QString& format)
{
    if (!format.isEmpty()) {
        auto* formats = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Pixel format"));
        EXPECT_NE(formats, nullptr);
        if (formats != nullptr)
            formats->setCurrentIndex(formats->findText(format));
    }
    auto* sizes = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Frame size"));
    EXPECT_NE(sizes, nullptr);
    if (sizes != nullptr) {
        const int index = sizes->findText(size);
        EXPECT_GE(index, 0) << size.toStdString();
        sizes->setCurrentIndex(index);
    }
    return ClickButton(dialog, QStringLiteral("OK"));
}
