#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

// Dialog templates place controls in dialog units: a quarter of the dialog font's average
// character width across and an eighth of its height down, so layouts follow the font.
struct DialogBaseUnits {
    int averageCharWidth = 0;
    int height = 0;
};

// The font a dialog template names. Where the family is not installed (Tahoma on Linux),
// a narrow sans-serif font of the same point size and proportions stands in.
QFont DialogFont(const QString& family, int pointSize);

// Base units as Windows derives them: the average width of the 52 letters of the alphabet,
// rounded, and the font's height.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// A rectangle given as x, y, width, height in dialog units, in pixels. Edges are converted
// one by one, so that neighbouring controls stay flush.
QRect DialogRectToPixels(int x, int y, int width, int height, const DialogBaseUnits& units);
QSize DialogSizeToPixels(int width, int height, const DialogBaseUnits& units);
