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

CaptureFormatDialog::CaptureFormatDialog(QWidget* parent, std::vector<CaptureFormatChoice> formats,
                                         uint32_t currentFormat, QSize currentSize)
    : QDialog(parent), m_formats(std::move(formats))
{
    setWindowTitle(QStringLiteral("Video Format"));
    m_formatBox = NamedComboBox(QStringLiteral("Pixel format"), this);
    m_sizeBox = NamedComboBox(QStringLiteral("Frame size"), this);
    for (const CaptureFormatChoice& choice : m_formats) {
        m_formatBox->addItem(choice.description);
        if (choice.pixelFormat == currentFormat)
            m_formatBox->setCurrentIndex(m_formatBox->count() - 1);
    }
    FillSizes(currentSize);
    connect(m_formatBox, &QComboBox::currentIndexChanged, this, [this] { FillSizes(selectedSize()); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Pixel format:"), m_formatBox);
    form->addRow(QStringLiteral("Frame size:"), m_sizeBox);
    LayOutFormWithOkCancel(*this, form);
}

uint32_t CaptureFormatDialog::selectedFormat() const
{
    const int index = m_formatBox->currentIndex();
    return index >= 0 ? m_formats[std::size_t(index)].pixelFormat : 0;
}

QSize CaptureFormatDialog::selectedSize() const
{
    return m_sizeBox->currentData().toSize();
}

// Lists the sizes of the chosen format, keeping the size chosen before where it can.
void CaptureFormatDialog::FillSizes(QSize preferred)
{
    m_sizeBox->clear();
    const int index = m_formatBox->currentIndex();
    if (index < 0)
        return;
    for (QSize size : m_formats[std::size_t(index)].sizes) {
        m_sizeBox->addItem(SizeText(size), size);
        if (size == preferred)
            m_sizeBox->setCurrentIndex(m_sizeBox->count() - 1);
    }
}
