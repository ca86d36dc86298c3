#pragma once

#include <functional>

class QMenu;
class QWidget;

// Window commands, as the window menu sends them; the low four bits are the system's own.
inline constexpr unsigned kScClose = 0xF060;
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
inline constexpr unsigned kCopyRangeAsCpp = 0x0020;
inline constexpr unsigned kCopyRangeAsPython = 0x0030;

// Window managers keep their window menus to themselves, so the dialog offers its own as a
// popup on a right click on its background and on Alt+Space: "Close", a separator, the two
// entries that copy the colour range as code, a separator, then the About entry. Each entry
// sends its command to `onCommand`.
QMenu* CreateWindowMenu(QWidget* owner, const std::function<void(unsigned command)>& onCommand);
