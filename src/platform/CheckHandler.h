#pragma once

#include <functional>

class QAbstractButton;
class QObject;

// Runs handler once for every change of button's checked state, whatever made it (a click,
// a key, assistive technology's "Toggle" action, the program), and once for a click that
// leaves the state as it was (a checked radio button clicked again), as a click handler
// would. context ends the connection when it goes away.
void ConnectCheckHandler(QAbstractButton* button, QObject* context, const std::function<void()>& handler);
