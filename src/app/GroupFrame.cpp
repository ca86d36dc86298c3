#include "app/GroupFrame.h"

#include <QPainter>
#include <QStyle>

GroupFrame::GroupFrame(const QString& title, QWidget* parent)
    : QGroupBox(title, parent)
{
    // It only frames; clicks fall through to what lies beneath, as on Windows.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GroupFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic;
    const QRect caption = metrics.boundingRect(QRect(metrics.averageCharWidth(), 0, width(), height()), flags, title())
                              .adjusted(-2, 0, 2, 0);
    painter.setClipRegion(QRegion(rect()).subtracted(caption));
    const QRect frame = rect().adjusted(0, metrics.height() / 2, -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    painter.setClipping(false);
    style()->drawItemText(&painter, caption.adjusted(2, 0, -2, 0), flags, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}
