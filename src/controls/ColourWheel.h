#pragma once

#include <QImage>
#include <QSize>

// The hue/saturation colour wheel: a disc of radius 100 centred on pixel (100, 100) of a
// 202 × 201 picture, at full value, on a background of RGB(192, 192, 192).

inline constexpr QSize kWheelSize{202, 201};
inline constexpr int kWheelRadius = 100;
inline const QRgb kWheelBackground = qRgb(192, 192, 192);
// The value of pi the wheel's angles are worked out with.
inline constexpr double kWheelPi = 3.14159265358;

struct WheelPoint {
    int hue = 0;
    int saturation = 0;
};

// Hue and saturation at an offset from the wheel's centre, with y pointing up: the hue is
// the angle counter-clockwise from the right in whole degrees (0-359, angles just below zero
// give 0), the saturation the truncated distance × 255 / 100, limited to 255.
WheelPoint WheelPointAt(int dx, int dy);

// The distance from the centre as the wheel rounds it: truncated to a whole number.
int WheelDistance(int dx, int dy);

// The wheel picture: a pixel whose truncated distance from the centre is at most the radius
// shows the colour that a press there picks, every other pixel the background.
QImage GenerateColourWheel();
