#include "platform/DialogUnits.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {
TEST(DialogUnitsTest, ConvertsEdgesWithRounding)
{
    struct Case {
        DialogBaseUnits units;
        int x, y, width, height;
        QRect expected;
    };
    const Case cases[] = {
        {{4, 8}, 10, 20, 30, 40, QRect(10, 20, 30, 40)},
        {{6, 13}, 415, 10, 60, 14, QRect(623, 16, 90, 23)},   // 622.5 rounds up; 24 × 13 / 8 = 39
        {{7, 13}, 1, 1, 1, 1, QRect(2, 2, 2, 1)},             // 1.75 → 2, 3.5 → 4; 1.625 → 2, 3.25 → 3
        {{5, 16}, 0, 0, 487, 267, QRect(0, 0, 609, 534)},      // 608.75 → 609
    };
    for (const Case& c : cases)
        EXPECT_EQ(DialogRectToPixels(c.x, c.y, c.width, c.height, c.units), c.expected) << c.x << ',' << c.y;
}

TEST(DialogUnitsTest, NeighboursInDialogUnitsStayFlushInPixels)
{
    const DialogBaseUnits units{7, 13};
    for (int x = 0; x < 40; ++x) {
        const QRect left = DialogRectToPixels(x, x, 3, 5, units);
        const QRect right = DialogRectToPixels(x + 3, x + 5, 4, 4, units);
        EXPECT_EQ(left.right() + 1, right.left()) << x;
        EXPECT_EQ(left.bottom() + 1, right.top()) << x;
    }
    EXPECT_EQ(DialogSizeToPixels(487, 267, units), DialogRectToPixels(0, 0, 487, 267, units).size());
}

TEST(DialogUnitsTest, BaseUnitsFollowTheFont)
{
    const QFont small = DialogFont(QStringLiteral("Tahoma"), 8);
    const QFont large = DialogFont(QStringLiteral("Tahoma"), 16);
    const DialogBaseUnits smallUnits = BaseUnitsOf(small);
    const DialogBaseUnits largeUnits = BaseUnitsOf(large);
    EXPECT_EQ(smallUnits.height, QFontMetrics(small).height());
    EXPECT_GT(smallUnits.averageCharWidth, 0);
    EXPECT_GT(largeUnits.averageCharWidth, smallUnits.averageCharWidth);
    EXPECT_GT(largeUnits.height, smallUnits.height);
    // The rounded average of the 52 letters lies within half a pixel of the true average.
    const double average = QFontMetrics(small).horizontalAdvance(
                               QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    EXPECT_LE(std::abs(smallUnits.averageCharWidth - average), 0.5 + 1.0 / 52);
}
}  // namespace
