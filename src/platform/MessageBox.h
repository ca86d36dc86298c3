#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The caption of every message box: the application's title.
inline const QString kApplicationTitle = QStringLiteral("Vizmar");

enum class MessageIcon { None, Question, Exclamation, Stop };
enum class MessageButtons { Ok, YesNo };

// Shows a modal message box owned by owner and returns the button pressed
// (QMessageBox::Ok, Yes or No). Goes through RunModal, so tests can answer it.
QMessageBox::StandardButton ShowMessageBox(QWidget* owner, const QString& text,
                                           MessageButtons buttons = MessageButtons::Ok,
                                           MessageIcon icon = MessageIcon::None);
