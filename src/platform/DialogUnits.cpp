#include "platform/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

namespace {
const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

// value × numerator / denominator, rounded to the nearest integer as MulDiv does.
int ScaleRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long rounded = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

int HorizontalPixels(int units, const DialogBaseUnits& base)
{
    return ScaleRounded(units, base.averageCharWidth, 4);
}

int VerticalPixels(int units, const DialogBaseUnits& base)
{
    return ScaleRounded(units, base.height, 8);
}
}  // namespace

QFont DialogFont(const QString& family, int pointSize)
{
    QFont font(family, pointSize);
    // DejaVu Sans Condensed has Tahoma's base units (6 × 13 at 8 points), so the templates
    // keep their proportions: a picture scaled to the display area's width still fits it.
    font.setFamilies(QStringList{family, QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(kAlphabet);
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect DialogRectToPixels(int x, int y, int width, int height, const DialogBaseUnits& units)
{
    const int left = HorizontalPixels(x, units);
    const int top = VerticalPixels(y, units);
    const int right = HorizontalPixels(x + width, units);
    const int bottom = VerticalPixels(y + height, units);
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogSizeToPixels(int width, int height, const DialogBaseUnits& units)
{
    return QSize(HorizontalPixels(width, units), VerticalPixels(height, units));
}
