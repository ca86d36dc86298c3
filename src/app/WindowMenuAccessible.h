#pragma once

class QMenu;

// Popups are windows of their own, and neither their owner window nor the application lists
// a popup among its accessible children, so an open popup menu is out of every screen
// reader's reach. Marks `menu`, a popup owned by a window, to be listed as that window's
// last accessible child while it is open, with the window as its parent and each entry an
// item that names itself and can be pressed.
void MakeWindowMenuAccessible(QMenu* menu);
