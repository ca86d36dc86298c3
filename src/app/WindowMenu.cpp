#include "app/WindowMenu.h"

#include "app/StringTable.h"
#include "app/WindowMenuAccessible.h"

#include <QMenu>
#include <QShortcut>

namespace {
void AddCommand(QMenu* menu, const QString& text, unsigned command)
{
    menu->addAction(text)->setData(command);
}
}  // namespace

QMenu* CreateWindowMenu(QWidget* owner, const std::function<void(unsigned command)>& onCommand)
{
    auto* menu = new QMenu(owner);
    // Before anything about the menu reaches the accessibility layer.
    MakeWindowMenuAccessible(menu);
    menu->setAccessibleName(QStringLiteral("Window menu"));
    AddCommand(menu, QStringLiteral("&Close"), kScClose);
    menu->addSeparator();
    AddCommand(menu, QStringLiteral("Copy range as OpenCV C++"), kCopyRangeAsCpp);
    AddCommand(menu, QStringLiteral("Copy range as OpenCV Python"), kCopyRangeAsPython);
    menu->addSeparator();
    AddCommand(menu, kIdsAboutBox, IDM_ABOUTBOX);
    QObject::connect(menu, &QMenu::triggered, owner,
                     [onCommand](QAction* action) { onCommand(action->data().toUInt()); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), owner);
    // Opens at the window's top-left corner, where the keyboard opens a window menu.
    QObject::connect(shortcut, &QShortcut::activated, owner,
                     [menu, owner] { menu->popup(owner->mapToGlobal(QPoint(0, 0))); });
    return menu;
}
