#include "about/CAboutDlg.h"

#include "about/CHyperLink.h"
#include "platform/DialogUnits.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
QStringList LabelTexts(const QDialog& dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST(AboutDlgTest, ShowsIconVersionNoticeCreditsAndTheMakersLink)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Vizmar"));
    EXPECT_TRUE(LabelTexts(dialog).contains(QStringLiteral("Vizmar Filter  Version 1.9")));
    EXPECT_EQ(LabelTexts(dialog).filter(QStringLiteral("Copyright")).size(), 1);

    auto* icon = dialog.findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());

    CHyperLink& link = dialog.HyperLink();
    EXPECT_EQ(link.objectName(), QStringLiteral("1042"));
    EXPECT_EQ(link.text(), kMakerAddress);
    EXPECT_EQ(link.LinkTarget(), kMakerAddress);
    EXPECT_EQ(link.Underline(), CHyperLink::UnderlineAlways);
    EXPECT_TRUE(link.font().underline()) << "underlined from the start";
}

TEST(AboutDlgTest, TheLinkFitsItsTextAndStaysInsideTheBox)
{
    CAboutDlg dialog;
    const CHyperLink& link = dialog.HyperLink();
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    const QRect placed = DialogRectToPixels(223, 103, 93, 13, units);
    EXPECT_EQ(link.geometry().right(), placed.right()) << "right-aligned: the right edge stays";
    EXPECT_EQ(link.width(), QFontMetrics(link.font()).size(Qt::TextSingleLine, kMakerAddress).width());
    EXPECT_TRUE(dialog.rect().contains(link.geometry()));
}

TEST(AboutDlgTest, OkEndsTheBox)
{
    CAboutDlg dialog;
    dialog.show();
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(AboutDlgTest, EveryControlHasAnAccessibleName)
{
    CAboutDlg dialog;
    QStringList names;
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        names << QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name);
    EXPECT_FALSE(names.contains(QString()));
    for (const char* name : {"OK", "Vizmar Filter  Version 1.9", "Vizmar icon", "https://github.com/halvoren/vizmar"})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
}

TEST(AboutDlgTest, ScreenshotForReview)
{
    CAboutDlg dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(dialog.grab().save(QStringLiteral("about-box.png")));
}
}  // namespace
