#include "about/CHyperLink.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <map>

namespace {
QString OpenErrorText(int result)
{
    static const std::map<int, QString> texts{
        {0, QStringLiteral("The operating system is out\nof memory or resources.")},
        {2, QStringLiteral("The specified file was not found.")},
        {3, QStringLiteral("The specified path was not found.")},
        {5, QStringLiteral("The operating system denied\naccess to the specified file.")},
        {8, QStringLiteral("There was not enough memory to complete the operation.")},
        {11, QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).")},
        {26, QStringLiteral("A sharing violation occurred. ")},
        {27, QStringLiteral("The filename association is\nincomplete or invalid.")},
        {28, QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.")},
        {29, QStringLiteral("The DDE transaction failed.")},
        {30, QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                            "were being processed.")},
        {31, QStringLiteral("There is no application associated\nwith the given filename extension.")},
        {32, QStringLiteral("The specified dynamic-link library was not found.")},
    };
    const auto found = texts.find(result);
    return found != texts.end() ? found->second : QStringLiteral("Unknown Error (%1) occurred.").arg(result);
}
}  // namespace

CHyperLink::CHyperLink(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    m_hoverTimer.setInterval(kHoverCheckMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CHyperLink::OnHoverCheck);
}

void CHyperLink::Attach()
{
    if (m_target.isEmpty())
        m_target = text();
    if (text().isEmpty())
        setText(m_target);
    m_plainFont = font();
    m_plainFont.setUnderline(false);
    m_underlineFont = m_plainFont;
    m_underlineFont.setUnderline(true);
    m_attached = true;
    FitToText();
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setFont(m_plainFont);
    m_underline = UnderlineOnHover;
    setToolTip(m_target);
    update();
}

void CHyperLink::SetLinkTarget(const QString& target)
{
    m_target = target;
    if (!m_attached)
        return;
    FitToText();
    setToolTip(m_target);
}

void CHyperLink::SetUnderlineMode(UnderlineMode mode)
{
    if (m_underline != mode && m_attached) {
        setFont(mode == UnderlineAlways ? m_underlineFont : m_plainFont);
        update();
    }
    m_underline = mode;
}

int CHyperLink::OpenLinkTarget(const QString& target)
{
    return OpenLink(target, m_services);
}

QString CHyperLink::OpenErrorMessage(int result)
{
    return QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(result);
}

void CHyperLink::ShowOpenError(int result)
{
    ShowMessageBox(window(), OpenErrorMessage(result), MessageButtons::Ok, MessageIcon::Exclamation);
}

void CHyperLink::FitToText()
{
    if (!m_attached)
        return;
    const QRect window = geometry();
    const QRect client = contentsRect();
    const QSize textSize = QFontMetrics(m_underlineFont).size(Qt::TextSingleLine, text());
    const int newWidth = textSize.width() + (window.width() - client.width());
    const int newHeight = textSize.height() + (window.height() - client.height());
    // Edges as Windows keeps them (right and bottom just outside), so that the halving below
    // truncates the same way.
    int left = window.x();
    int top = window.y();
    int right = window.x() + window.width();
    int bottom = window.y() + window.height();
    if (alignment() & Qt::AlignVCenter) {
        const int inset = (window.height() - newHeight) / 2;
        top += inset;
        bottom -= inset;
    } else {
        bottom = top + newHeight;
    }
    if (alignment() & Qt::AlignHCenter) {
        const int inset = (window.width() - newWidth) / 2;
        left += inset;
        right -= inset;
    } else if (alignment() & Qt::AlignRight) {
        left = right - newWidth;
    } else {
        right = left + newWidth;
    }
    setGeometry(left, top, right - left, bottom - top);
}

QColor CHyperLink::TextColour() const
{
    if (m_hovering)
        return kHoverColour;
    return m_visited ? kVisitedColour : kLinkColour;
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_hovering) {
        m_hovering = true;
        if (m_underline == UnderlineOnHover)
            setFont(m_underlineFont);
        update();
        m_hoverTimer.start();
    }
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OnClicked();
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::OnHoverCheck()
{
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    m_hovering = false;
    m_hoverTimer.stop();
    if (m_underline != UnderlineAlways)
        setFont(m_plainFont);
    update();
}

void CHyperLink::OnClicked()
{
    m_hovering = false;
    const int result = OpenLinkTarget(m_target);
    m_visited = result > 32;
    update();
    if (!m_visited) {
        QApplication::beep();
        ShowOpenError(result);
    }
}

void CHyperLink::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(TextColour());
    painter.setFont(font());
    painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}
