#include "app/CVizmarDlg.h"

#include "app/WindowMenu.h"
#include "platform/ModalRunner.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {
constexpr int kGenerousWaitMs = 10000;

class WindowMenuTest : public ::testing::Test {
protected:
    WindowMenuTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        m_dialog = std::make_unique<CVizmarDlg>();
        m_dialog->show();
        m_dialog->activateWindow();
    }

    QAction* Entry(unsigned command) const
    {
        for (QAction* action : m_dialog->windowMenu().actions()) {
            if (!action->isSeparator() && action->data().toUInt() == command)
                return action;
        }
        return nullptr;
    }

    bool MenuOpens() const
    {
        return QTest::qWaitFor([this] { return m_dialog->windowMenu().isVisible(); }, kGenerousWaitMs);
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
    const QList<QAction*> actions = m_dialog->windowMenu().actions();
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
    EXPECT_TRUE(MenuOpens());
    m_dialog->windowMenu().hide();
}

TEST_F(WindowMenuTest, ARightClickOnAGroupBoxFallsThroughToTheBackground)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    QWidget* group = m_dialog->control(IDC_HSV_GROUP);
    const QPoint onFrame = group->geometry().bottomLeft() + QPoint(1, -1);
    QTest::mouseClick(m_dialog->windowHandle(), Qt::RightButton, {}, onFrame);
    EXPECT_TRUE(MenuOpens());
    m_dialog->windowMenu().hide();
}

TEST_F(WindowMenuTest, AltSpaceOpensIt)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    QTest::keyClick(m_dialog.get(), Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(MenuOpens());
    m_dialog->windowMenu().hide();
}

TEST_F(WindowMenuTest, TheAboutEntryOpensTheAboutBox)
{
    QAction* about = Entry(IDM_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ModalCaptionsDuring([about] { about->trigger(); }), QStringList({"About Vizmar"}));
    EXPECT_TRUE(m_dialog->isVisible());
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
