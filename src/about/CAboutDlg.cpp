#include "about/CAboutDlg.h"

#include "about/CHyperLink.h"
#include "platform/DialogUnits.h"
#include "platform/ProgramResources.h"

#include <QLabel>
#include <QPushButton>

namespace {
const QString kVersionText = QStringLiteral("Vizmar Filter  Version 1.9");
const QString kLegalNotice = QStringLiteral("Copyright \u00a9 2025 Halvoren. All rights reserved.");
const QString kCredits = QStringLiteral(
    "Colour wheel, HSV range filter and frame pipeline by the Halvoren Vizmar team. "
    "Built on Qt, FFmpeg and Video4Linux2. Thanks to everyone who tuned colour ranges "
    "with their own webcams and sent us their findings.");

QLabel* MakeText(QWidget* parent, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Vizmar"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(QStringLiteral("MS Shell Dlg"), 8));
    CreateControls();
    OnInitDialog();
}

void CAboutDlg::CreateControls()
{
    const DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(DialogSizeToPixels(328, 124, units));

    // An icon control takes the icon's own size at its template position.
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setGeometry(QRect(DialogRectToPixels(11, 17, 20, 20, units).topLeft(), QSize(32, 32)));
    icon->setAccessibleName(QStringLiteral("Vizmar icon"));

    MakeText(this, kVersionText, DialogRectToPixels(40, 10, 119, 8, units));
    MakeText(this, kLegalNotice, DialogRectToPixels(40, 25, 215, 8, units));
    MakeText(this, kCredits, DialogRectToPixels(39, 46, 223, 39, units))->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(DialogRectToPixels(271, 7, 50, 16, units));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Right-aligned, so that fitting it to the address grows it to the left, inside the box.
    m_hyperLink = new CHyperLink(this);
    m_hyperLink->setObjectName(QString::number(kLinkId));
    m_hyperLink->setText(kMakerAddress);
    m_hyperLink->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_hyperLink->setGeometry(DialogRectToPixels(223, 103, 93, 13, units));
}

void CAboutDlg::OnInitDialog()
{
    m_hyperLink->Attach();
    m_hyperLink->SetLinkTarget(kMakerAddress);
    m_hyperLink->SetUnderlineMode(CHyperLink::UnderlineAlways);
}
