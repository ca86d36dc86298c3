#pragma once

#include "imaging/ColourConversion.h"

#include <QImage>
#include <QWidget>

// A mask swatch: a rectangle filled with one colour inside a black frame and a sunken inner
// frame. It keeps its picture, so every repaint shows the colour it was last given.
class ColourSwatch : public QWidget {
    Q_OBJECT

public:
    ColourSwatch(const QString& accessibleName, QWidget* parent);

    void Paint(const RgbTriple& colour);
    const QImage& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    RgbTriple m_colour;
    QImage m_picture;
};
