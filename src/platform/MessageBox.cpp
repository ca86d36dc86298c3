#include "platform/MessageBox.h"

#include "platform/ModalRunner.h"

namespace {
QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

QMessageBox::StandardButton ShowMessageBox(QWidget* owner, const QString& text, MessageButtons buttons,
                                           MessageIcon icon)
{
    const auto standardButtons = buttons == MessageButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                                  : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(ToQtIcon(icon), kApplicationTitle, text, standardButtons, owner);
    return static_cast<QMessageBox::StandardButton>(RunModal(box));
}
