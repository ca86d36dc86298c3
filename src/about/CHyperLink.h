#pragma once

#include "about/LinkOpener.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QTimer>

// A static text that acts as a link: drawn in link colours, red and (in on-hover mode)
// underlined while the pointer is over it, with a hand cursor and the address as tooltip.
// A click opens the address; if that fails, the user is told why.
class CHyperLink : public QLabel {
    Q_OBJECT

public:
    enum UnderlineMode { UnderlineOnHover = -1, UnderlineAlways = 1 };

    static constexpr QColor kLinkColour{0, 0, 238};
    static constexpr QColor kVisitedColour{85, 26, 139};
    static constexpr QColor kHoverColour{255, 0, 0};
    // How often, while hovering, the control checks whether the pointer has left it.
    static constexpr int kHoverCheckMs = 100;

    explicit CHyperLink(QWidget* parent = nullptr);

    // Takes over the control as its owner laid it out (text, font, geometry, alignment):
    // text and address fill in for each other, the fonts are made, the control shrinks to its
    // text, gets the hand cursor and tooltip, and the underline mode becomes on-hover.
    void Attach();

    void SetLinkTarget(const QString& target);
    QString LinkTarget() const { return m_target; }
    void SetUnderlineMode(UnderlineMode mode);
    UnderlineMode Underline() const { return m_underline; }

    // Tries to open the address; a result above 32 means success.
    int OpenLinkTarget(const QString& target);
    // Tells the user, in a message box, why the address could not be opened.
    void ShowOpenError(int result);
    static QString OpenErrorMessage(int result);

    // Resizes the control to its text, keeping the left edge, the centre (centred text) or
    // the right edge (right-aligned text), and the vertical centre for vertically centred text.
    void FitToText();

    bool IsHovering() const { return m_hovering; }
    bool IsVisited() const { return m_visited; }
    QColor TextColour() const;

    void SetDesktopServices(DesktopLinkServices services) { m_services = std::move(services); }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnHoverCheck();
    void OnClicked();

    bool m_hovering = false;
    bool m_visited = false;
    bool m_attached = false;
    UnderlineMode m_underline = UnderlineOnHover;
    QString m_target;
    QFont m_underlineFont;
    QFont m_plainFont;
    QTimer m_hoverTimer;
    DesktopLinkServices m_services = DesktopLinkServices::System();
};
