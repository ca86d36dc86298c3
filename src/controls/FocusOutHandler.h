#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Runs a handler each time a widget loses the keyboard focus, as an edit's kill-focus
// notification does. The handler lives as long as `owner`: once the owner is gone, focus
// changes of the widget run nothing.
void OnFocusOut(QWidget* widget, QObject* owner, std::function<void()> handler);
