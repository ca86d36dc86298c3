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
        : m_Hook([this](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            m_Shown.push_back({box.windowTitle(), box.text(), box.icon()});
            return int(QMessageBox::Ok);
        })
    {
    }
    const std::vector<ShownMessage>& Shown() const { return m_Shown; }

private:
    std::vector<ShownMessage> m_Shown;
    ScopedModalHook m_Hook;
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
        m_Window.resize(400, 200);
        m_pLink->setGeometry(20, 20, 300, 30);
        m_pLink->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QFont font = m_pLink->font();
        font.setPointSize(14);
        font.setBold(true);
        m_pLink->setFont(font);
    }

    void ShowAndAttach(const QString& text = kAddress)
    {
        m_pLink->setText(text);
        m_pLink->Attach();
        m_pLink->SetDesktopServices(m_Desktop);
        m_Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_Window));
    }

    void HoverThenLeave()
    {
        const QPoint inside = m_pLink->rect().center();
        QCursor::setPos(m_pLink->mapToGlobal(inside));
        QTest::mouseMove(m_pLink, inside);
        ASSERT_TRUE(m_pLink->IsHovering());
    }

    void MovePointerAway() { QCursor::setPos(m_Window.mapToGlobal(QPoint(390, 190))); }

    DesktopLinkServices RecordingDesktop(bool opens)
    {
        return {
            [this, opens](const QUrl& url) {
                m_Opened = url;
                return opens;
            },
            [] { return QString(); },
            [](const QString&) { return QString(); },
            [](const QString&, const QStringList&) { return false; },
        };
    }

    QWidget m_Window;
    CHyperLink* m_pLink = new CHyperLink(&m_Window);
    std::optional<QUrl> m_Opened;
    DesktopLinkServices m_Desktop = RecordingDesktop(true);
};

TEST_F(HyperLinkTest, DrawsInTheLinkColourAndUnderlinesOnlyWhileHovering)
{
    ShowAndAttach();
    EXPECT_EQ(m_pLink->Underline(), CHyperLink::UnderlineOnHover);
    EXPECT_EQ(m_pLink->TextColour(), CHyperLink::kLinkColour);
    EXPECT_FALSE(m_pLink->font().underline());
    EXPECT_TRUE(ContainsColour(m_pLink->grab().toImage(), CHyperLink::kLinkColour));
    EXPECT_EQ(m_pLink->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(m_pLink->toolTip(), kAddress);

    HoverThenLeave();
    EXPECT_EQ(m_pLink->TextColour(), CHyperLink::kHoverColour);
    EXPECT_TRUE(m_pLink->font().underline());
    EXPECT_TRUE(ContainsColour(m_pLink->grab().toImage(), CHyperLink::kHoverColour));

    MovePointerAway();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_pLink->IsHovering(); }, kGenerousWaitMs));
    EXPECT_FALSE(m_pLink->font().underline());
    EXPECT_EQ(m_pLink->TextColour(), CHyperLink::kLinkColour);
}

TEST_F(HyperLinkTest, InAlwaysModeHoveringOnlyChangesTheColour)
{
    ShowAndAttach();
    m_pLink->SetUnderlineMode(CHyperLink::UnderlineAlways);
    EXPECT_TRUE(m_pLink->font().underline());
    HoverThenLeave();
    EXPECT_TRUE(m_pLink->font().underline());
    MovePointerAway();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_pLink->IsHovering(); }, kGenerousWaitMs));
    EXPECT_TRUE(m_pLink->font().underline());
    EXPECT_EQ(m_pLink->TextColour(), CHyperLink::kLinkColour);

    m_pLink->SetUnderlineMode(CHyperLink::UnderlineOnHover);
    EXPECT_FALSE(m_pLink->font().underline());
}

TEST_F(HyperLinkTest, AttachingResetsTheUnderlineModeToOnHover)
{
    m_pLink->SetUnderlineMode(CHyperLink::UnderlineAlways);
    ShowAndAttach();
    EXPECT_EQ(m_pLink->Underline(), CHyperLink::UnderlineOnHover);
    EXPECT_FALSE(m_pLink->font().underline());
}

TEST_F(HyperLinkTest, TextAndAddressFillInForEachOther)
{
    m_pLink->SetLinkTarget(kAddress);
    ShowAndAttach(QString());
    EXPECT_EQ(m_pLink->text(), kAddress);

    auto* second = new CHyperLink(&m_Window);
    second->setText(QStringLiteral("https://example.org/own-text"));
    second->Attach();
    EXPECT_EQ(second->LinkTarget(), QStringLiteral("https://example.org/own-text"));
}

TEST_F(HyperLinkTest, ASuccessfulClickShowsTheVisitedColour)
{
    MessageCatcher messages;
    ShowAndAttach();
    QTest::mouseClick(m_pLink, Qt::LeftButton, {}, m_pLink->rect().center());
    EXPECT_EQ(m_Opened, QUrl(kAddress));
    EXPECT_TRUE(m_pLink->IsVisited());
    EXPECT_FALSE(m_pLink->IsHovering());
    EXPECT_EQ(m_pLink->TextColour(), CHyperLink::kVisitedColour);
    EXPECT_TRUE(ContainsColour(m_pLink->grab().toImage(), CHyperLink::kVisitedColour));
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(HyperLinkTest, AFailedClickReportsTheErrorAndClearsVisited)
{
    MessageCatcher messages;
    ShowAndAttach();
    QTest::mouseClick(m_pLink, Qt::LeftButton, {}, m_pLink->rect().center());
    m_pLink->SetDesktopServices(RecordingDesktop(false));
    QTest::mouseClick(m_pLink, Qt::LeftButton, {}, m_pLink->rect().center());
    EXPECT_FALSE(m_pLink->IsVisited());
    EXPECT_EQ(m_pLink->TextColour(), CHyperLink::kLinkColour);
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
        m_pLink->ShowOpenError(c.code);
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
        CHyperLink link(&m_Window);
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
