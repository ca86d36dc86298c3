#include "sources/CSetFPS.h"

#include "platform/DialogUnits.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace {
constexpr std::array kRates{7, 15, 30, 60};
constexpr int kStartItem = 2;

QPushButton* MakeButton(QWidget* parent, const QString& text, int id, const QRect& rect)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::number(id));
    button->setAccessibleName(text);
    button->setGeometry(rect);
    return button;
}
}  // namespace

CSetFPS::CSetFPS(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(QStringLiteral("MS Shell Dlg"), 8));
    CreateControls();
    OnInitDialog();
}

void CSetFPS::CreateControls()
{
    const DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(DialogSizeToPixels(186, 52, units));

    QPushButton* ok = MakeButton(this, QStringLiteral("OK"), 1, DialogRectToPixels(129, 7, 50, 14, units));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* cancel = MakeButton(this, QStringLiteral("Cancel"), 2, DialogRectToPixels(129, 22, 50, 14, units));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* label = new QLabel(QStringLiteral("FPS:"), this);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(DialogRectToPixels(7, 18, 30, 13, units));

    // A drop-down list is as tall as its closed box; the template's height is the list's.
    m_rateBox = new QComboBox(this);
    m_rateBox->setObjectName(QString::number(kRateComboId));
    m_rateBox->setAccessibleName(QStringLiteral("FPS"));
    const QRect rect = DialogRectToPixels(49, 18, 51, 36, units);
    m_rateBox->setGeometry(rect.x(), rect.y(), rect.width(), m_rateBox->sizeHint().height());
    for (const int rate : kRates)
        m_rateBox->addItem(QString::number(rate));
    label->setBuddy(m_rateBox);
}

void CSetFPS::OnInitDialog()
{
    m_rateBox->setCurrentIndex(kStartItem);
}

void CSetFPS::accept()
{
    OnOK();
    QDialog::accept();
}

void CSetFPS::OnOK()
{
    const int item = m_rateBox->currentIndex();
    if (item >= 0 && item < int(kRates.size()))
        m_nFPS = kRates[std::size_t(item)];
}
