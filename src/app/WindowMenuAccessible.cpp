#include "app/WindowMenuAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QPointer>

namespace {

const QString kWindowMenuName = QStringLiteral("WindowMenu");

bool IsWindowMenu(const QObject* object)
{
    return qobject_cast<const QMenu*>(object) && object->objectName() == kWindowMenuName;
}

QMenu* WindowMenuOf(QWidget* window)
{
    return window->findChild<QMenu*>(kWindowMenuName, Qt::FindDirectChildrenOnly);
}

QMenu* OpenWindowMenuOf(QWidget* window)
{
    QMenu* menu = WindowMenuOf(window);
    return menu && menu->isVisible() ? menu : nullptr;
}

// The window: its controls, then the window menu while it is open.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window)
        : QAccessibleWidget(window, qobject_cast<QDialog*>(window) ? QAccessible::Dialog : QAccessible::Window)
    {
    }

    int childCount() const override { return ControlCount() + (OpenWindowMenuOf(widget()) ? 1 : 0); }

    QAccessibleInterface* child(int index) const override
    {
        QMenu* menu = OpenWindowMenuOf(widget());
        if (menu && index == ControlCount())
            return QAccessible::queryAccessibleInterface(menu);
        return QAccessibleWidget::child(index);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child && child->object() && child->object() == OpenWindowMenuOf(widget()))
            return ControlCount();
        return QAccessibleWidget::indexOfChild(child);
    }

private:
    int ControlCount() const { return QAccessibleWidget::childCount(); }
};

// The menu: a popup whose parent is its window and whose children are its entries.
class MenuAccessible : public QAccessibleWidget {
public:
    explicit MenuAccessible(QMenu* menu)
        : QAccessibleWidget(menu, QAccessible::PopupMenu)
    {
    }

    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(widget()->parentWidget());
    }

    int childCount() const override { return int(widget()->actions().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QAction*> actions = widget()->actions();
        if (index < 0 || index >= actions.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(actions[index]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        return int(widget()->actions().indexOf(qobject_cast<QAction*>(child->object())));
    }
};

// One entry of the menu, named by its text without the mnemonic marker.
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    MenuItemAccessible(QMenu* menu, QAction* action)
        : m_menu(menu)
        , m_action(action)
    {
    }

    bool isValid() const override { return m_menu && m_action; }
    QObject* object() const override { return m_action; }
    QWindow* window() const override { return m_menu ? m_menu->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_menu); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid() || m_action->isSeparator())
            return {};
        if (kind == QAccessible::Name)
            return QString(m_action->text()).remove(QLatin1Char('&'));
        if (kind == QAccessible::Accelerator)
            return QKeySequence::mnemonic(m_action->text()).toString(QKeySequence::NativeText);
        return {};
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect area = m_menu->actionGeometry(m_action);
        return QRect(m_menu->mapToGlobal(area.topLeft()), area.size());
    }

    QAccessible::Role role() const override
    {
        return m_action && m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.invisible = !m_menu->isVisible() || !m_action->isVisible();
        state.disabled = !m_action->isEnabled();
        state.focusable = !m_action->isSeparator();
        state.focused = state.active = m_menu->activeAction() == m_action;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        if (!isValid() || m_action->isSeparator() || !m_action->isEnabled())
            return {};
        return {pressAction()};
    }

    // As a click on the entry: the menu closes, then the entry's command runs.
    void doAction(const QString& name) override
    {
        if (name != pressAction() || !actionNames().contains(name))
            return;
        m_menu->hide();
        m_action->trigger();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QMenu> m_menu;
    QPointer<QAction> m_action;
};

QAccessibleInterface* WindowMenuPartAccessible(const QString&, QObject* object)
{
    if (IsWindowMenu(object))
        return new MenuAccessible(static_cast<QMenu*>(object));
    if (auto* action = qobject_cast<QAction*>(object); action && IsWindowMenu(action->parent()))
        return new MenuItemAccessible(static_cast<QMenu*>(action->parent()), action);
    if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow() && WindowMenuOf(widget))
        return new WindowAccessible(widget);
    return nullptr;
}

}  // namespace

void MakeWindowMenuAccessible(QMenu* menu)
{
    static const bool installed = (QAccessible::installFactory(WindowMenuPartAccessible), true);
    Q_UNUSED(installed);
    menu->setObjectName(kWindowMenuName);
}
