#include "app/CVizmarDlg.h"

#include "app/OpenCvSnippet.h"
#include "app/WindowMenu.h"
#include "platform/ModalRunner.h"
#include "support/TempFolder.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {
constexpr int kGenerousWaitMs = 10000;

// The open window menu as a screen reader finds it: a popup menu among the dialog's
// accessible children.
QAccessibleInterface* OpenMenuOf(QWidget* dialog)
{
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(dialog);
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface* child = window->child(i);
        if (child && child->role() == QAccessible::PopupMenu)
            return child;
    }
    return nullptr;
}

QAccessibleInterface* ItemNamed(QAccessibleInterface* menu, const QString& name)
{
    for (int i = 0; i < menu->childCount(); ++i)
        if (menu->child(i)->text(QAccessible::Name) == name)
            return menu->child(i);
    return nullptr;
}

QString ClipboardText()
{
    return QGuiApplication::clipboard()->text();
}

class WindowMenuTest : public ::testing::Test {
protected:
    WindowMenuTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        m_dialog = std::make_unique<CVizmarDlg>();
        m_dialog->show();
        m_dialog->activateWindow();
    }

    // The popup menu on screen, or null when none has opened.
    static QMenu* OpenMenu()
    {
        const auto popup = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
        return QTest::qWaitFor([&] { return popup() != nullptr; }, kGenerousWaitMs) ? popup() : nullptr;
    }

    // Whether a popup opened and is the window menu, ending with its About entry; it is
    // closed again.
    static bool WindowMenuOpens()
    {
        QMenu* menu = OpenMenu();
        if (menu == nullptr)
            return false;
        const bool ours = !menu->actions().isEmpty() && menu->actions().last()->data().toUInt() == IDM_ABOUTBOX;
        menu->close();
        return ours;
    }

    // The actions of the window menu, as Alt+Space shows it.
    QList<QAction*> MenuEntries()
    {
        if (!QTest::qWaitForWindowActive(m_dialog.get()))
            return {};
        QTest::keyClick(m_dialog.get(), Qt::Key_Space, Qt::AltModifier);
        QMenu* menu = OpenMenu();
        if (menu == nullptr)
            return {};
        const QList<QAction*> actions = menu->actions();
        menu->close();
        return actions;
    }

    // An entry found by its text, as a user finds it.
    QAction* EntryNamed(const QString& text)
    {
        for (QAction* action : MenuEntries()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }

    QAction* Entry(unsigned command)
    {
        for (QAction* action : MenuEntries()) {
            if (!action->isSeparator() && action->data().toUInt() == command)
                return action;
        }
        return nullptr;
    }

    // Runs `action` with a hook that notes the caption of every modal dialog and closes it.
    QStringList ModalCaptionsDuring(const std::function<void()>& action)
    {
        QStringList captions;
        ScopedModalHook hook([&captions](QDialog& dialog) {
            captions << dialog.windowTitle();
            return int(QDialog::Accepted);
        });
        action();
        return captions;
    }

    TempFolder m_settings;
    std::unique_ptr<CVizmarDlg> m_dialog;
};

TEST_F(WindowMenuTest, EndsWithASeparatorAndTheAboutEntry)
{
    const QList<QAction*> actions = MenuEntries();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.last()->text(), QStringLiteral("&About Vizmar..."));
    EXPECT_EQ(actions.last()->data().toUInt(), IDM_ABOUTBOX);
}

TEST_F(WindowMenuTest, ARightClickOnTheBackgroundOpensIt)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    const QPoint background(m_dialog->width() - 3, m_dialog->height() - 3);
    ASSERT_EQ(m_dialog->childAt(background), nullptr);
    QTest::mouseClick(m_dialog->windowHandle(), Qt::RightButton, {}, background);
    EXPECT_TRUE(WindowMenuOpens());
}

TEST_F(WindowMenuTest, ARightClickOnAGroupBoxFallsThroughToTheBackground)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    QWidget* group = m_dialog->control(IDC_HSV_GROUP);
    const QPoint onFrame = group->geometry().bottomLeft() + QPoint(1, -1);
    QTest::mouseClick(m_dialog->windowHandle(), Qt::RightButton, {}, onFrame);
    EXPECT_TRUE(WindowMenuOpens());
}

TEST_F(WindowMenuTest, AltSpaceOpensIt)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    QTest::keyClick(m_dialog.get(), Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(WindowMenuOpens());
}

TEST_F(WindowMenuTest, TheAboutEntryOpensTheAboutBox)
{
    QAction* about = Entry(IDM_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ModalCaptionsDuring([about] { about->trigger(); }), QStringList({"About Vizmar"}));
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(WindowMenuTest, WhileOpenTheMenuAndItsItemsAreReachableByName)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    EXPECT_EQ(OpenMenuOf(m_dialog.get()), nullptr);
    QTest::keyClick(m_dialog.get(), Qt::Key_Space, Qt::AltModifier);
    QAccessibleInterface* menu = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menu = OpenMenuOf(m_dialog.get())) != nullptr; }, kGenerousWaitMs));

    EXPECT_EQ(menu->text(QAccessible::Name), QStringLiteral("Window menu"));
    EXPECT_FALSE(menu->state().invisible);
    QAccessibleInterface* window = menu->parent();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->object(), m_dialog.get());
    EXPECT_EQ(window->child(window->indexOfChild(menu)), menu);
    QStringList names;
    for (int i = 0; i < menu->childCount(); ++i)
        if (menu->child(i)->role() != QAccessible::Separator)
            names << menu->child(i)->text(QAccessible::Name);
    EXPECT_EQ(names, QStringList({"Close", "Copy range as OpenCV C++", "Copy range as OpenCV Python",
                                  "About Vizmar..."}));

    // Pressing an item through its accessible action does what the entry does.
    QGuiApplication::clipboard()->clear();
    QAccessibleInterface* copy = ItemNamed(menu, QStringLiteral("Copy range as OpenCV C++"));
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->actionInterface(), nullptr);
    copy->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([] { return ClipboardText().contains("cv::inRange"); }, kGenerousWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([this] { return OpenMenuOf(m_dialog.get()) == nullptr; }, kGenerousWaitMs));
}

TEST_F(WindowMenuTest, TheCopyEntriesPutTheRangeOnTheClipboardAsCode)
{
    // The range of a first start: hue 0 to 359, saturation and value 30 to 255.
    const HsvRange start{0, 359, 30, 255, 30, 255};
    EntryNamed(QStringLiteral("Copy range as OpenCV C++"))->trigger();
    EXPECT_EQ(ClipboardText().toStdString(), OpenCvSnippet(CodeLanguage::Cpp, start, std::nullopt));
    EntryNamed(QStringLiteral("Copy range as OpenCV Python"))->trigger();
    EXPECT_EQ(ClipboardText().toStdString(), OpenCvSnippet(CodeLanguage::Python, start, std::nullopt));

    // With the mask and "Erosion" on, the grow and shrink counts of the spins come along.
    m_dialog->controlAs<QAbstractButton>(IDC_MASK)->click();
    m_dialog->controlAs<QAbstractButton>(IDC_EROSION)->click();
    EntryNamed(QStringLiteral("Copy range as OpenCV C++"))->trigger();
    EXPECT_EQ(ClipboardText().toStdString(), OpenCvSnippet(CodeLanguage::Cpp, start, MorphologyCounts{2, 2}));
}

TEST_F(WindowMenuTest, OnSysCommandIgnoresTheLowFourBits)
{
    EXPECT_EQ(ModalCaptionsDuring([this] { m_dialog->OnSysCommand(IDM_ABOUTBOX | 0x7, 0); }),
              QStringList({"About Vizmar"}));
    EXPECT_TRUE(ModalCaptionsDuring([this] { m_dialog->OnSysCommand(IDM_ABOUTBOX + 0x10, 0); }).isEmpty());
}

TEST_F(WindowMenuTest, TheCloseEntryClosesTheDialogAsUsual)
{
    QAction* close = Entry(kScClose);
    ASSERT_NE(close, nullptr);
    close->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_dialog->isVisible(); }, kGenerousWaitMs));
}
}  // namespace
