#include "presets/CPresetDlg.h"

#include "platform/DialogUnits.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {
QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& rect, Qt::Alignment alignment)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, int id, const QRect& rect)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::number(id));
    button->setGeometry(rect);
    return button;
}

bool FileCanHoldName(const QString& name)
{
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == u'[' || c == u']' || c == u'\0' || c == u'\r' || c == u'\n' || c.unicode() > 255;
    });
}
}  // namespace

CPresetDlg::CPresetDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Save As PRESET"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(QStringLiteral("MS Shell Dlg"), 8));
    const DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(DialogSizeToPixels(220, 45, units));

    MakeLabel(this, QStringLiteral("Please enter custom preset name."), DialogRectToPixels(7, 7, 150, 8, units),
              Qt::AlignLeft);
    MakeLabel(this, QStringLiteral("Name:"), DialogRectToPixels(7, 24, 25, 8, units), Qt::AlignRight);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QString::number(kNameEditId));
    m_nameEdit->setAccessibleName(QStringLiteral("Name"));
    m_nameEdit->setGeometry(DialogRectToPixels(36, 22, 120, 12, units));

    QPushButton* ok = MakeButton(this, QStringLiteral("OK"), 1, DialogRectToPixels(163, 7, 50, 14, units));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPresetDlg::accept);
    QPushButton* cancel = MakeButton(this, QStringLiteral("Cancel"), 2, DialogRectToPixels(163, 24, 50, 14, units));
    connect(cancel, &QPushButton::clicked, this, &CPresetDlg::reject);
    m_nameEdit->setFocus();
}

void CPresetDlg::accept()
{
    m_strName = m_nameEdit->text().trimmed();
    if (m_strName.isEmpty() || !FileCanHoldName(m_strName))
        return;
    QDialog::accept();
}
