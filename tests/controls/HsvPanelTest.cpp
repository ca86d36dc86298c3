#include "app/MainDialogView.h"
#include "controls/ColourWheel.h"
#include "controls/MainDialogFixture.h"

#include <QCheckBox>
#include <QPalette>

namespace {
QRgb ToRgb(const RgbTriple& rgb)
{
    return qRgb(rgb.r, rgb.g, rgb.b);
}

class HsvPanelTest : public MainDialogFixture {
protected:
    void SetUp() override { OpenDialog(); }

    HsvPanel& Panel() { return FindHsvPanel(Dialog()); }
    HsvTriple Hsv() { return ShownHsv(Dialog()); }
    QPoint FromCentre(int dx, int dy) { return Panel().Centre() + QPoint(dx, dy); }

    void Press(const QPoint& point) { QTest::mousePress(&Panel(), Qt::LeftButton, {}, point); }
    void Move(const QPoint& point) { QTest::mouseMove(&Panel(), point); }
    void Release(const QPoint& point) { QTest::mouseRelease(&Panel(), Qt::LeftButton, {}, point); }
};

TEST_F(HsvPanelTest, SitsInsideTheHsvGroupWithTheWheelAt15And25)
{
    const QRect group = Dialog().control(IDC_HSV_GROUP)->geometry();
    const QRect panel = Panel().PanelRect().translated(Panel().pos());
    EXPECT_EQ(panel, group.adjusted(15, 25, -5, -5));
    EXPECT_EQ(Panel().Centre() - Panel().PanelRect().topLeft(), QPoint(100, 100));
    const QRect bar = Panel().ValueBarRect();
    EXPECT_EQ(bar, QRect(Panel().PanelRect().left() + 222, Panel().PanelRect().top(), 20, 201));
    EXPECT_TRUE(Panel().rect().contains(bar));
    EXPECT_EQ(Panel().accessibleName(), QStringLiteral("HSV panel"));
}

// Where a press lands, what it starts and what colour it picks; the value stays as it was.
TEST_F(HsvPanelTest, APressOnTheWheelPicksHueAndSaturationByTheWheelsArithmetic)
{
    struct Case {
        const char* where;
        QPoint offset;
        HsvPanel::DragMode mode;
        int hue;
        int saturation;
    };
    const Case cases[] = {
        {"centre", {0, 0}, HsvPanel::kWheelDrag, 0, 0},
        {"distance 100 to the right", {100, 0}, HsvPanel::kWheelDrag, 0, 255},
        {"distance 100.4 truncated", {71, -71}, HsvPanel::kWheelDrag, 45, 255},
        {"left of the centre", {-50, 0}, HsvPanel::kWheelDrag, 180, 127},
        {"straight up", {0, -60}, HsvPanel::kWheelDrag, 90, 153},
        {"one pixel below the horizontal, far right", {90, 1}, HsvPanel::kWheelDrag, 0, 229},
        {"one pixel below the horizontal, far left", {-90, 1}, HsvPanel::kWheelDrag, 181, 229},
        {"lower left", {-30, 52}, HsvPanel::kWheelDrag, 241, 153},
    };
    for (const Case& c : cases) {
        TypeAndLeave(IDC_HUE, QStringLiteral("77"));
        TypeAndLeave(IDC_SATURATION, QStringLiteral("77"));
        TypeAndLeave(IDC_VALUE, QStringLiteral("140"));
        Press(FromCentre(c.offset.x(), c.offset.y()));
        Release(FromCentre(c.offset.x(), c.offset.y()));
        EXPECT_EQ(Panel().DragModeNow(), c.mode) << c.where;
        EXPECT_EQ(Hsv(), (HsvTriple{c.hue, c.saturation, 140})) << c.where;
        EXPECT_EQ(ShownRgb(Dialog()), HsvToRgb(Hsv())) << c.where;
    }
}

TEST_F(HsvPanelTest, APressJustOutsideTheDiscStartsNothing)
{
    Press(FromCentre(50, 0));
    Release(FromCentre(50, 0));
    const HsvTriple before = Hsv();
    Press(FromCentre(101, 0));
    EXPECT_EQ(Panel().DragModeNow(), HsvPanel::kNoDrag);
    Move(FromCentre(0, 50));
    Release(FromCentre(0, 50));
    EXPECT_EQ(Hsv(), before);
}

TEST_F(HsvPanelTest, AWheelDragKeepsFollowingOutsideThePanel)
{
    Press(FromCentre(90, 1));
    Move(FromCentre(400, 1));
    EXPECT_EQ(Hsv().h, 0);
    EXPECT_EQ(Hsv().s, 255);
    Move(FromCentre(-300, -300));
    EXPECT_EQ(Hsv().h, 135);
    EXPECT_EQ(Hsv().s, 255);
    Release(FromCentre(-300, -300));
    Move(FromCentre(0, 0));
    EXPECT_EQ(Hsv().h, 135) << "the drag ends with the button";
}

TEST_F(HsvPanelTest, DraggingOnTheValueBarSetsTheValueLimitedToTheBar)
{
    const QRect bar = Panel().ValueBarRect();
    const int bottom = bar.top() + bar.height();
    Press(QPoint(bar.center().x(), bar.top() + 100));
    EXPECT_EQ(Panel().DragModeNow(), HsvPanel::kValueDrag);
    EXPECT_EQ(Hsv().v, static_cast<int>(101 * 255.0 / 201));
    Move(QPoint(bar.center().x(), bar.top()));
    EXPECT_EQ(Hsv().v, 255) << "the top row";
    Move(QPoint(bar.center().x(), bar.top() - 40));
    EXPECT_EQ(Hsv().v, 255) << "above the bar";
    Move(QPoint(bar.center().x(), bottom + 60));
    EXPECT_EQ(Hsv().v, 0) << "below the bar";
    Release(QPoint(bar.center().x(), bottom + 60));
}

TEST_F(HsvPanelTest, APressInThePanelOutsideDiscAndBarCapturesNothing)
{
    const QPoint gap = FromCentre(112, 0);  // between the wheel and the bar
    Press(FromCentre(20, 0));
    Release(FromCentre(20, 0));
    const HsvTriple before = Hsv();
    Press(gap);
    EXPECT_EQ(Panel().DragModeNow(), HsvPanel::kNoDrag);
    Move(FromCentre(-20, 0));
    EXPECT_EQ(Hsv(), before);
    Release(FromCentre(-20, 0));
}

TEST_F(HsvPanelTest, TheValueBarShowsEveryValueOfTheCurrentHueAndSaturation)
{
    Press(FromCentre(-30, 52));
    Release(FromCentre(-30, 52));
    const QImage& bar = Panel().ValueBar();
    ASSERT_EQ(bar.format(), QImage::Format_Indexed8);
    ASSERT_EQ(bar.height(), 201);
    EXPECT_EQ(bar.color(0), ToRgb(HsvToRgb({Hsv().h, Hsv().s, 253}))) << "the top row";
    EXPECT_EQ(bar.color(200), ToRgb(HsvToRgb({Hsv().h, Hsv().s, 0}))) << "the bottom row";
    for (const int row : {0, 57, 200})
        EXPECT_EQ(bar.pixelIndex(3, row), row);

    // The bar on screen is in the new colours, away from its marker.
    const QImage& picture = Panel().Picture();
    const QRect barRect = Panel().ValueBarRect();
    const int row = Panel().ValueMarkerRect().top() > barRect.top() + 120 ? 20 : 180;
    EXPECT_EQ(picture.pixel(barRect.left() + 10, barRect.top() + row) & 0xFFFFFF, bar.color(row) & 0xFFFFFF);
}

TEST_F(HsvPanelTest, MarkersAreXorOutlinesAroundTheCurrentColour)
{
    Press(FromCentre(-40, -30));
    Release(FromCentre(-40, -30));
    const QRect hue = Panel().HueMarkerRect();
    ASSERT_EQ(Hsv(), (HsvTriple{143, 127, 30}));
    // 49.8 pixels out at 143 degrees: (-39.77, 29.97) truncated.
    EXPECT_EQ(hue, QRect(Panel().Centre() + QPoint(-39 - 5, -29 - 5), QSize(10, 10)));

    const QImage wheel = GenerateColourWheel();
    const QPoint origin = Panel().PanelRect().topLeft();
    const QImage& picture = Panel().Picture();
    auto wheelPixel = [&](const QPoint& p) { return wheel.pixel(p - origin) & 0xFFFFFF; };
    auto shown = [&](const QPoint& p) { return picture.pixel(p) & 0xFFFFFF; };
    EXPECT_EQ(shown(hue.topLeft()), wheelPixel(hue.topLeft()) ^ 0xFFFFFF) << "outline";
    EXPECT_EQ(shown(hue.bottomRight()), wheelPixel(hue.bottomRight()) ^ 0xFFFFFF) << "outline";
    EXPECT_EQ(shown(hue.center()), wheelPixel(hue.center())) << "hollow";

    const QImage before = Panel().Picture();
    Panel().ToggleMarkers();
    EXPECT_EQ(shown(hue.topLeft()), wheelPixel(hue.topLeft())) << "a second toggle erases";
    Panel().ToggleMarkers();
    EXPECT_EQ(Panel().Picture(), before);
}

TEST_F(HsvPanelTest, TheWheelBackgroundTakesTheButtonFaceAlsoAfterAPaletteChange)
{
    const QPoint corner = Panel().PanelRect().topLeft() + QPoint(201, 0);
    EXPECT_EQ(Panel().Picture().pixel(corner), Panel().palette().color(QPalette::Button).rgb());

    QPalette palette = Dialog().palette();
    palette.setColor(QPalette::Button, QColor(10, 200, 90));
    Dialog().setPalette(palette);
    EXPECT_EQ(Panel().Picture().pixel(corner), qRgb(10, 200, 90));
    EXPECT_EQ(Panel().Picture().pixel(Panel().Centre()), qRgb(255, 255, 255)) << "the disc keeps its colours";
}

TEST_F(HsvPanelTest, EveryDragStepMovesTheColourEditsAndResetsTheOptionSpins)
{
    Dialog().upDown(IDC_EROSION_SPIN)->SetPos(5);
    Dialog().upDown(IDC_DILATION_SPIN)->SetPos(7);
    Dialog().upDown(IDC_LENS_SPIN)->SetPos(500);
    Press(FromCentre(-50, 0));
    Release(FromCentre(-50, 0));
    const RgbTriple rgb = HsvToRgb(Hsv());
    EXPECT_EQ(Text(IDC_HUE), QStringLiteral("180"));
    EXPECT_EQ(Text(IDC_SATURATION), QStringLiteral("127"));
    EXPECT_EQ(Text(IDC_RED), QString::number(rgb.r));
    EXPECT_EQ(Text(IDC_GREEN), QString::number(rgb.g));
    EXPECT_EQ(Text(IDC_BLUE), QString::number(rgb.b));
    EXPECT_EQ(Text(IDC_EROSION_COUNT), QStringLiteral("2"));
    EXPECT_EQ(Text(IDC_DILATION_COUNT), QStringLiteral("2"));
    EXPECT_EQ(Text(IDC_LENS_PARAMETER), QStringLiteral("10"));
    EXPECT_EQ(Text(IDC_HUE_RANGE), QStringLiteral("0.5000 - 1.4972"));
    // The mask takes the new range at once: saturation 115 no longer passes, 255 does.
    QTest::mouseClick(Dialog().controlAs<QCheckBox>(IDC_MASK), Qt::LeftButton);
    EXPECT_EQ(ShownForFrameOf(Dialog(), {255, 140, 140}), qRgb(0, 0, 0));
    EXPECT_EQ(ShownForFrameOf(Dialog(), {0, 255, 255}), qRgb(0, 255, 255));
}
}  // namespace

namespace {
// A picture of the dialog after a drag on the wheel and one on the value bar, to look at.
TEST_F(HsvPanelTest, ScreenshotAfterDraggingForReview)
{
    Press(FromCentre(-20, -20));
    Move(FromCentre(-45, -62));
    Release(FromCentre(-45, -62));
    const QRect bar = Panel().ValueBarRect();
    Press(QPoint(bar.center().x(), bar.top() + 40));
    Release(QPoint(bar.center().x(), bar.top() + 40));
    EXPECT_TRUE(Dialog().grab().save(QStringLiteral("hsv-panel-after-drag.png")));
}
}  // namespace
