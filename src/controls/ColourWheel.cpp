#include "controls/ColourWheel.h"

#include "imaging/ColourConversion.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr QPoint kWheelCentre{100, 100};
}  // namespace

int WheelDistance(int dx, int dy)
{
    const double distance = std::sqrt(double(dx) * dx + double(dy) * dy);
    return static_cast<int>(std::min(distance, 1e9));
}

WheelPoint WheelPointAt(int dx, int dy)
{
    const double angle = (dx == 0 && dy == 0) ? 0.0 : std::atan2(double(dy), double(dx));
    WheelPoint point;
    point.hue = static_cast<int>(angle * 180 / kWheelPi);
    if (point.hue < 0)
        point.hue += 360;
    const long long distance = WheelDistance(dx, dy);
    point.saturation = static_cast<int>(std::min(distance * 255 / 100, 255LL));
    return point;
}

QImage GenerateColourWheel()
{
    QImage wheel(kWheelSize, QImage::Format_RGB32);
    wheel.fill(kWheelBackground);
    for (int y = 0; y < wheel.height(); ++y) {
        for (int x = 0; x < wheel.width(); ++x) {
            const int dx = x - kWheelCentre.x();
            const int dy = kWheelCentre.y() - y;
            if (WheelDistance(dx, dy) > kWheelRadius)
                continue;
            const WheelPoint point = WheelPointAt(dx, dy);
            const RgbTriple rgb = HsvToRgb({point.hue, point.saturation, 255});
            wheel.setPixel(x, y, qRgb(rgb.r, rgb.g, rgb.b));
        }
    }
    return wheel;
}
