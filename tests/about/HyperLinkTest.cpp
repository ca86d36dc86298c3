#include "about/CHyperLink.h"

#include "platform/MessageBox.h"
#include "platform/ModalRunner.h"

#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {
const QString kAddress = QStringLiteral("https://github.com/halvoren/vizmar");
constexpr int kGenerousWaitMs = 10000;

struct ShownMessage {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers every message box with OK and keeps what it showed.
class MessageCatcher {
public:
    MessageCatcher()
        : m_hook([this](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            m_shown.push_back({box.windowTitle(), box.text(), box.icon()});
            return int(QMessageBox::Ok);
        })
    {
    }
    const std::vector<ShownMessage>& Shown() const { return m_shown; }

private:
    std::vector<ShownMessage> m_shown;
    ScopedModalHook m_hook;
};

bool ContainsColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() == colour.rgb())
                return true;
        }
    }
    return false;
}

class HyperLinkTest : public ::testing::Test {
protected:
    HyperLinkTest()
    {
        m_window.resize(400, 200);
        m_link->setGeometry(20, 20, 300, 30);
        m_link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QFont font = m_link->font();
        font.setPointSize(14);
        font.setBold(true);
        m_link->setFont(font);
    }

    void ShowAndAttach(const QString& text = kAddress)
    {
        m_link->setText(text);
        m_link->Attach();
        m_link->SetDesktopServices(m_desktop);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    void HoverThenLeave()
    {
        const QPoint inside = m_link->rect().center();
        QCursor::setPos(m_link->mapToGlobal(inside));
        QTest::mouseMove(m_link, inside);
        ASSERT_TRUE(m_link->IsHovering());
    }

    void MovePointerAway() { QCursor::setPos(m_window.mapToGlobal(QPoint(390, 190))); }

    DesktopLinkServices RecordingDesktop(bool opens)
    {
        return {
            [this, opens](const QUrl& url) {
                m_opened = url;
                return opens;
            },
            [] { return QString(); },
            [](const QString&) { return QString(); },
            [](const QString&, const QStringList&) { return false; },
        };
    }

    QWidget m_window;
    CHyperLink* m_link = new CHyperLink(&m_window);
    std::optional<QUrl> m_opened;
    DesktopLinkServices m_desktop = RecordingDesktop(true);
};

TEST_F(HyperLinkTest, DrawsInTheLinkColourAndUnderlinesOnlyWhileHovering)
{
    ShowAndAttach();
    EXPECT_EQ(m_link->Underline(), CHyperLink::UnderlineOnHover);
    EXPECT_EQ(m_link->TextColour(), CHyperLink::kLinkColour);
    EXPECT_FALSE(m_link->font().underline());
    EXPECT_TRUE(ContainsColour(m_link->grab().toImage(), CHyperLink::kLinkColour));
    EXPECT_EQ(m_link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(m_link->toolTip(), kAddress);

    HoverThenLeave();
    EXPECT_EQ(m_link->TextColour(), CHyperLink::kHoverColour);
    EXPECT_TRUE(m_link->font().underline());
    EXPECT_TRUE(ContainsColour(m_link->grab().toImage(), CHyperLink::kHoverColour));

    MovePointerAway();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_link->IsHovering(); }, kGenerousWaitMs));
    EXPECT_FALSE(m_link->font().underline());
    EXPECT_EQ(m_link->TextColour(), CHyperLink::kLinkColour);
}

TEST_F(HyperLinkTest, InAlwaysModeHoveringOnlyChangesTheColour)
{
    ShowAndAttach();
    m_link->SetUnderlineMode(CHyperLink::UnderlineAlways);
    EXPECT_TRUE(m_link->font().underline());
    HoverThenLeave();
    EXPECT_TRUE(m_link->font().underline());
    MovePointerAway();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_link->IsHovering(); }, kGenerousWaitMs));
    EXPECT_TRUE(m_link->font().underline());
    EXPECT_EQ(m_link->TextColour(), CHyperLink::kLinkColour);

    m_link->SetUnderlineMode(CHyperLink::UnderlineOnHover);
    EXPECT_FALSE(m_link->font().underline());
}

TEST_F(HyperLinkTest, AttachingResetsTheUnderlineModeToOnHover)
{
    m_link->SetUnderlineMode(CHyperLink::UnderlineAlways);
    ShowAndAttach();
    EXPECT_EQ(m_link->Underline(), CHyperLink::UnderlineOnHover);
    EXPECT_FALSE(m_link->font().underline());
}

TEST_F(HyperLinkTest, TextAndAddressFillInForEachOther)
{
    m_link->SetLinkTarget(kAddress);
    ShowAndAttach(QString());
    EXPECT_EQ(m_link->text(), kAddress);

    auto* second = new CHyperLink(&m_window);
    second->setText(QStringLiteral("https://example.org/own-text"));
    second->Attach();
    EXPECT_EQ(second->LinkTarget(), QStringLiteral("https://example.org/own-text"));
}

TEST_F(HyperLinkTest, ASuccessfulClickShowsTheVisitedColour)
{
    MessageCatcher messages;
    ShowAndAttach();
    QTest::mouseClick(m_link, Qt::LeftButton, {}, m_link->rect().center());
    EXPECT_EQ(m_opened, QUrl(kAddress));
    EXPECT_TRUE(m_link->IsVisited());
    EXPECT_FALSE(m_link->IsHovering());
    EXPECT_EQ(m_link->TextColour(), CHyperLink::kVisitedColour);
    EXPECT_TRUE(ContainsColour(m_link->grab().toImage(), CHyperLink::kVisitedColour));
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(HyperLinkTest, AFailedClickReportsTheErrorAndClearsVisited)
{
    MessageCatcher messages;
    ShowAndAttach();
    QTest::mouseClick(m_link, Qt::LeftButton, {}, m_link->rect().center());
    m_link->SetDesktopServices(RecordingDesktop(false));
    QTest::mouseClick(m_link, Qt::LeftButton, {}, m_link->rect().center());
    EXPECT_FALSE(m_link->IsVisited());
    EXPECT_EQ(m_link->TextColour(), CHyperLink::kLinkColour);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                                                       "with the given filename extension."));
}

TEST_F(HyperLinkTest, ShowOpenErrorExplainsTheCodeInAnExclamationBox)
{
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {31, "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension."},
        {26, "Unable to open hyperlink:\n\nA sharing violation occurred. "},
        {4, "Unable to open hyperlink:\n\nUnknown Error (4) occurred."},
        {0, "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources."},
    };
    MessageCatcher messages;
    for (const Case& c : cases)
        m_link->ShowOpenError(c.code);
    ASSERT_EQ(messages.Shown().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(messages.Shown()[i].text, QString::fromLatin1(cases[i].text));
        EXPECT_EQ(messages.Shown()[i].caption, kApplicationTitle);
        EXPECT_EQ(messages.Shown()[i].icon, QMessageBox::Warning);
    }
}

TEST_F(HyperLinkTest, FitToTextKeepsTheEdgeOrCentreThatTheAlignmentNames)
{
    struct Case {
        const char* what;
        Qt::Alignment alignment;
    };
    const QRect start(40, 60, 300, 40);
    for (const Case& c : {Case{"left", Qt::AlignLeft | Qt::AlignTop}, Case{"centre", Qt::AlignHCenter | Qt::AlignTop},
                          Case{"right", Qt::AlignRight | Qt::AlignTop},
                          Case{"centred vertically", Qt::AlignLeft | Qt::AlignVCenter}}) {
        CHyperLink link(&m_window);
        link.setText(QStringLiteral("abc"));
        link.setAlignment(c.alignment);
        link.setGeometry(start);
        link.Attach();
        const QRect fitted = link.geometry();
        QFont underlined = link.font();
        underlined.setUnderline(true);
        const QSize text = QFontMetrics(underlined).size(Qt::TextSingleLine, QStringLiteral("abc"));
        EXPECT_EQ(fitted.width(), text.width()) << c.what;
        if (c.alignment & Qt::AlignHCenter)
            EXPECT_EQ(2 * fitted.x() + fitted.width(), 2 * start.x() + start.width()) << c.what;
        else if (c.alignment & Qt::AlignRight)
            EXPECT_EQ(fitted.x() + fitted.width(), start.x() + start.width()) << c.what;
        else
            EXPECT_EQ(fitted.x(), start.x()) << c.what;
        if (c.alignment & Qt::AlignVCenter) {
            EXPECT_EQ(2 * fitted.y() + fitted.height(), 2 * start.y() + start.height()) << c.what;
        } else {
            EXPECT_EQ(fitted.y(), start.y()) << c.what;
            EXPECT_EQ(fitted.height(), text.height()) << c.what;
        }
    }
}
}  // namespace
