#include "sources/camera/CaptureFormatDialog.h"

#include "sources/camera/FormDialogLayout.h"

#include <QComboBox>
#include <QFormLayout>

namespace {

QString SizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QComboBox* NamedComboBox(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setAccessibleName(name);
    return box;
}

}  // namespace

CaptureFormatDialog::CaptureFormatDialog(QWidget* parent, const QString& deviceName,
                                         std::vector<CaptureFormatChoice> formats, uint32_t currentFormat,
                                         QSize currentSize)
    : QDialog(parent), formats_(std::move(formats))
{
    setWindowTitle(QStringLiteral("Video Format - %1").arg(deviceName));
    formatBox_ = NamedComboBox(QStringLiteral("Pixel format"), this);
    sizeBox_ = NamedComboBox(QStringLiteral("Frame size"), this);
    for (const CaptureFormatChoice& choice : formats_) {
        formatBox_->addItem(choice.description);
        if (choice.pixelFormat == currentFormat)
            formatBox_->setCurrentIndex(formatBox_->count() - 1);
    }
    FillSizes(currentSize);
    connect(formatBox_, &QComboBox::currentIndexChanged, this, [this] { FillSizes(selectedSize()); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Pixel format:"), formatBox_);
    form->addRow(QStringLiteral("Frame size:"), sizeBox_);
    LayOutFormWithOkCancel(*this, form);
}

uint32_t CaptureFormatDialog::selectedFormat() const
{
    const int index = formatBox_->currentIndex();
    return index >= 0 ? formats_[std::size_t(index)].pixelFormat : 0;
}

QSize CaptureFormatDialog::selectedSize() const
{
    return sizeBox_->currentData().toSize();
}

// Lists the sizes of the chosen format, keeping the size chosen before where it can.
void CaptureFormatDialog::FillSizes(QSize preferred)
{
    sizeBox_->clear();
    const int index = formatBox_->currentIndex();
    if (index < 0)
        return;
    for (QSize size : formats_[std::size_t(index)].sizes) {
        sizeBox_->addItem(SizeText(size), size);
        if (size == preferred)
            sizeBox_->setCurrentIndex(sizeBox_->count() - 1);
    }
}
