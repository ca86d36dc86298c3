#include "platform/DialogUnits.h"
#include "sources/CSetFPS.h"
#include "sources/camera/CameraTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QComboBox* RateBox(CSetFPS& dialog)
{
    return dialog.findChild<QComboBox*>(QString::number(CSetFPS::kRateComboId));
}

TEST(CSetFPSTest, OffersFourRatesWithThirtyChosen)
{
    CSetFPS dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dialog"));
    EXPECT_EQ(dialog.size(), DialogSizeToPixels(186, 52, BaseUnitsOf(dialog.font())));
    QComboBox* box = RateBox(dialog);
    ASSERT_NE(box, nullptr);
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    EXPECT_EQ(items, QStringList({"7", "15", "30", "60"}));
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_EQ(dialog.FramesPerSecond(), 30);

    const auto* label = dialog.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("FPS:"));
    EXPECT_TRUE(label->alignment() & Qt::AlignRight);
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("1"))->isDefault());
}

TEST(CSetFPSTest, OkTakesTheChosenRate)
{
    struct Case {
        int item;
        int rate;
    };
    for (const Case& c : {Case{0, 7}, Case{1, 15}, Case{2, 30}, Case{3, 60}}) {
        CSetFPS dialog;
        RateBox(dialog)->setCurrentIndex(c.item);
        EXPECT_EQ(ClickButton(dialog, QStringLiteral("OK")), QDialog::Accepted);
        EXPECT_EQ(dialog.FramesPerSecond(), c.rate) << c.item;
    }
}

TEST(CSetFPSTest, CancelKeepsThirty)
{
    CSetFPS dialog;
    RateBox(dialog)->setCurrentIndex(0);
    EXPECT_EQ(ClickButton(dialog, QStringLiteral("Cancel")), QDialog::Rejected);
    EXPECT_EQ(dialog.FramesPerSecond(), 30);
}

}  // namespace
