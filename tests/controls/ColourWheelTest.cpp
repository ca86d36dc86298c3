#include "controls/ColourWheel.h"

#include "imaging/ColourConversion.h"

#include <gtest/gtest.h>

namespace {
QRgb Rgb(const RgbTriple& rgb)
{
    return qRgb(rgb.r, rgb.g, rgb.b);
}

TEST(ColourWheelTest, TheDiscLiesOnAGreyBackgroundWithRedToTheRight)
{
    const QImage wheel = GenerateColourWheel();
    ASSERT_EQ(wheel.size(), QSize(202, 201));
    struct Case {
        const char* where;
        QPoint pixel;
        QRgb colour;
    };
    const Case cases[] = {
        {"centre", {100, 100}, qRgb(255, 255, 255)},
        {"right edge", {200, 100}, qRgb(255, 0, 0)},
        {"top edge", {100, 0}, Rgb(HsvToRgb({90, 255, 255}))},
        {"left edge", {0, 100}, qRgb(0, 255, 255)},
        {"half way to green", {75, 57}, Rgb(HsvToRgb({120, 124, 255}))},
        {"top-left corner", {0, 0}, kWheelBackground},
        {"last column", {201, 100}, kWheelBackground},
        {"just outside the rim", {172, 172}, kWheelBackground},
        {"on the rim", {171, 171}, Rgb(HsvToRgb({315, 255, 255}))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wheel.pixel(c.pixel), c.colour) << c.where;
}

TEST(ColourWheelTest, APointPicksHueByAngleAndSaturationByDistance)
{
    struct Case {
        int dx;
        int dy;
        int hue;
        int saturation;
    };
    const Case cases[] = {
        {0, 0, 0, 0},       {100, 0, 0, 255},   {0, 100, 90, 255},     {-100, 0, 180, 255},
        {0, -100, 270, 255}, {90, -1, 0, 229},  {-90, -1, 181, 229},   {-90, 1, 179, 229},
        {500, 500, 45, 255}, {3, 4, 53, 12},     {-40, 30, 143, 127},
    };
    for (const Case& c : cases) {
        const WheelPoint point = WheelPointAt(c.dx, c.dy);
        EXPECT_EQ(point.hue, c.hue) << c.dx << ',' << c.dy;
        EXPECT_EQ(point.saturation, c.saturation) << c.dx << ',' << c.dy;
    }
}
}  // namespace
