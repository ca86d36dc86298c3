#include "controls/UpDownControl.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {
class UpDownControlTest : public ::testing::Test {
protected:
    UpDownControlTest()
    {
        m_window.resize(200, 100);
        m_edit->setGeometry(10, 10, 50, 20);
        m_spin->resize(12, 30);
        m_spin->SetBuddy(m_edit);
        m_spin->SetRange(0, 9);
        m_spin->SetPos(2);
    }

    QToolButton* Arrow(const char* name) const
    {
        for (QToolButton* button : m_spin->findChildren<QToolButton*>()) {
            if (button->accessibleName() == QLatin1String(name))
                return button;
        }
        return nullptr;
    }

    QWidget m_window;
    QLineEdit* m_edit = new QLineEdit(&m_window);
    UpDownControl* m_spin = new UpDownControl(&m_window);
};

TEST_F(UpDownControlTest, SitsAtTheBuddysRightEdgeAndNarrowsIt)
{
    EXPECT_EQ(m_edit->geometry(), QRect(10, 10, 40, 20));
    EXPECT_EQ(m_spin->geometry(), QRect(48, 10, 12, 20)) << "over the edit's 2-pixel border";
    EXPECT_EQ(m_spin->Buddy(), m_edit);

    QLineEdit frameless(&m_window);
    frameless.setFrame(false);
    frameless.setGeometry(10, 50, 50, 20);
    UpDownControl beside(&m_window);
    beside.resize(12, 20);
    beside.SetBuddy(&frameless);
    EXPECT_EQ(frameless.geometry(), QRect(10, 50, 38, 20));
    EXPECT_EQ(beside.geometry(), QRect(48, 50, 12, 20));
}

TEST_F(UpDownControlTest, SetPosLimitsToTheRangeAndWritesPlainDigits)
{
    struct Case {
        int lower, upper, requested;
        const char* text;
    };
    for (const Case& c : {Case{0, 9, 5, "5"}, Case{0, 9, 12, "9"}, Case{0, 9, -3, "0"}, Case{10, 1000, 1000, "1000"},
                          Case{0, 360, 360, "360"}, Case{10, 1000, 2, "10"}}) {
        m_spin->SetRange(c.lower, c.upper);
        m_spin->SetPos(c.requested);
        EXPECT_EQ(m_edit->text(), QLatin1String(c.text)) << c.requested;
        EXPECT_EQ(m_spin->GetPos().position, QString::fromLatin1(c.text).toInt());
    }
}

TEST_F(UpDownControlTest, GetPosTakesAValidBuddyNumberAndFlagsAnythingElse)
{
    struct Case {
        const char* text;
        int position;
        bool invalid;
    };
    m_spin->SetRange(-5, 9);
    for (const Case& c : {Case{"7", 7, false}, Case{"  3", 3, false}, Case{"-5", -5, false}, Case{"12", 2, true},
                          Case{"-6", 2, true}, Case{"abc", 2, true}, Case{"", 2, true}, Case{"3 ", 2, true},
                          Case{"4x", 2, true}, Case{"99999999999", 2, true}}) {
        m_spin->SetPos(2);
        m_edit->setText(QLatin1String(c.text));
        const UpDownPosition read = m_spin->GetPos();
        EXPECT_EQ(read.position, c.position) << '"' << c.text << '"';
        EXPECT_EQ(read.invalid, c.invalid) << '"' << c.text << '"';
        EXPECT_EQ(m_edit->text(), QLatin1String(c.text)) << "reading never rewrites the buddy";
    }
}

TEST_F(UpDownControlTest, ArrowButtonsStepFromTheTypedNumberAndStopAtTheEnds)
{
    QSignalSpy moved(m_spin, &UpDownControl::positionChanged);
    m_edit->setText(QStringLiteral("5"));
    QTest::mouseClick(Arrow("Up"), Qt::LeftButton);
    EXPECT_EQ(m_edit->text(), QStringLiteral("6"));
    QTest::mouseClick(Arrow("Down"), Qt::LeftButton);
    QTest::mouseClick(Arrow("Down"), Qt::LeftButton);
    EXPECT_EQ(m_edit->text(), QStringLiteral("4"));
    ASSERT_EQ(moved.count(), 3);
    EXPECT_EQ(moved.last().at(0).toInt(), 4);

    m_spin->SetPos(9);
    QTest::mouseClick(Arrow("Up"), Qt::LeftButton);
    EXPECT_EQ(m_edit->text(), QStringLiteral("9"));
    EXPECT_EQ(moved.count(), 3) << "no move at the upper end";
}

TEST_F(UpDownControlTest, AnInvalidBuddyTextStepsFromTheLastPosition)
{
    m_edit->setText(QStringLiteral("x"));
    QTest::mouseClick(Arrow("Up"), Qt::LeftButton);
    EXPECT_EQ(m_edit->text(), QStringLiteral("3"));
}

TEST_F(UpDownControlTest, ArrowKeysInTheBuddyStepThePosition)
{
    QTest::keyClick(m_edit, Qt::Key_Up);
    QTest::keyClick(m_edit, Qt::Key_Up);
    EXPECT_EQ(m_spin->GetPos().position, 4);
    QTest::keyClick(m_edit, Qt::Key_Down);
    EXPECT_EQ(m_edit->text(), QStringLiteral("3"));
    QTest::keyClick(m_edit, Qt::Key_5);
    EXPECT_EQ(m_edit->text(), QStringLiteral("35")) << "other keys still edit the text";
}

TEST_F(UpDownControlTest, ClickingAnArrowPutsTheFocusIntoTheBuddy)
{
    auto* other = new QLineEdit(&m_window);
    other->setGeometry(100, 10, 50, 20);
    m_window.show();
    m_window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    other->setFocus();
    QTest::mouseClick(Arrow("Up"), Qt::LeftButton);
    EXPECT_TRUE(m_edit->hasFocus());
}
}  // namespace
