#pragma once

#include "app/MainDialogTemplate.h"
#include "platform/DialogUnits.h"

#include <QHash>
#include <QWidget>

#include <span>

// Creates a template's controls as children of `dialog`, each at its rectangle converted with
// `units`, with its text and styles, a name for screen readers where it has no caption, and the identifier as object name. An
// up-down control takes the control created just before it as buddy. Returns the controls
// that have an identifier, by identifier.
QHash<int, QWidget*> CreateControls(QWidget* dialog, std::span<const ControlTemplate> controls,
                                    const DialogBaseUnits& units);
