#include "app/CameraView.h"
#include "controls/MainDialogFixture.h"
#include "imaging/FormatConversion.h"
#include "sources/virtual/VirtualScene.h"

#include <QAbstractButton>
#include <QComboBox>

#include <array>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
using Rgb = std::array<uint8_t, 3>;

// Table entries: (200, 60, 40) is hue 7, saturation 204, value 200; grey 128 is 0, 0, 128;
// (255, 0, 30) is hue 353, (255, 0, 10) 358 and (255, 40, 0) 9, all at 255, 255.
constexpr Rgb kBrick{200, 60, 40};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kRed353{255, 0, 30};
constexpr Rgb kRed358{255, 0, 10};
constexpr Rgb kOrange9{255, 40, 0};

// Frame pixels from column `left` and row `top` (counted from the top of the picture), both
// included, as the camera delivers them: before the mirror, rows bottom-up.
struct Block {
    int left;
    int top;
    int right;
    int bottom;
};

class Scene {
public:
    Scene() { Paint({0, 0, kWidth - 1, kHeight - 1}, kGrey); }

    void Paint(const Block& block, Rgb colour)
    {
        for (int y = block.top; y <= block.bottom; ++y)
            for (int x = block.left; x <= block.right; ++x) {
                uint8_t* pixel = m_frame.pixels() + ((kHeight - 1 - y) * kWidth + x) * 3;
                pixel[0] = colour[2];
                pixel[1] = colour[1];
                pixel[2] = colour[0];
            }
    }

    // A copy, as the pipeline works in place.
    FrameRecord Frame() const { return m_frame; }

private:
    FrameRecord m_frame{MakeBitmapHeader(kWidth, kHeight, 24)};
};

class RangePickTest : public MainDialogFixture {
protected:
    void SetUp() override
    {
        OpenDialog();
        m_view = Dialog().findChild<CameraView*>();
        ASSERT_NE(m_view, nullptr);
    }

    void ShowCameraFrame(const Scene& scene)
    {
        FrameRecord frame = scene.Frame();
        Dialog().ProcessCameraFrame(frame, 30);
    }

    // The centre of the display pixel that shows camera frame pixel (x, y from the top): the
    // camera picture is mirrored and scaled to the view's width.
    QPoint Shown(int x, int y) const
    {
        const double scale = double(m_view->width()) / kWidth;
        return QPoint(int((kWidth - 1 - x + 0.5) * scale), int((y + 0.5) * scale));
    }

    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = {})
    {
        QTest::mousePress(m_view, Qt::LeftButton, keys, from);
        QTest::mouseMove(m_view, (from + to) / 2);
        QTest::mouseMove(m_view, to);
        QTest::mouseRelease(m_view, Qt::LeftButton, keys, to);
    }

    // Drags over the inside of a block, two pixels in from its edges.
    void DragOver(const Block& block, Qt::KeyboardModifiers keys = {})
    {
        Drag(Shown(block.left + 2, block.top + 2), Shown(block.right - 2, block.bottom - 2), keys);
    }

    // Hue, saturation, value and their widths, as the edits show them.
    QStringList Range()
    {
        return {Text(IDC_HUE), Text(IDC_HUE_WIDTH), Text(IDC_SATURATION), Text(IDC_SATURATION_WIDTH),
                Text(IDC_VALUE), Text(IDC_VALUE_WIDTH)};
    }

    void Undo() { QTest::keyClick(m_view, Qt::Key_Z, Qt::ControlModifier); }

    CameraView* m_view = nullptr;
};

const Block kLeftBlock{20, 100, 59, 139};

FrameRecord VirtualCameraFrame(int index)
{
    std::vector<uint8_t> yuy2(kVirtualFrameBytes);
    RenderVirtualFrame(index, yuy2.data());
    FrameRecord frame(MakeBitmapHeader(kVirtualWidth, kVirtualHeight, 24));
    Yuy2ToRgb24(kVirtualWidth, kVirtualHeight, yuy2.data(), frame.pixels());
    return frame;
}

// Pixels of the virtual camera's red disc: both pixels of a YUY2 pair take the colour of the
// pair's first.
int VirtualDiscPixels(ShapeCentre centre)
{
    int pixels = 0;
    for (int y = 0; y < kVirtualHeight; ++y)
        for (int x = 0; x < kVirtualWidth; x += 2)
            pixels += (x - centre.x) * (x - centre.x) + (y - centre.y) * (y - centre.y) <= 28 * 28 ? 2 : 0;
    return pixels;
}

TEST_F(RangePickTest, ADragPicksTheRangeOfTheMarkedPixelsAsTypedValuesWould)
{
    Scene scene;
    scene.Paint(kLeftBlock, kBrick);
    ShowCameraFrame(scene);
    DragOver(kLeftBlock);
    // Saturation and value are one level each; a width of 0 would reach up to 255, so 1.
    EXPECT_EQ(Range(), QStringList({"7", "0", "204", "1", "200", "1"}));
    EXPECT_EQ(Text(IDC_HUE_RANGE), QStringLiteral("0.0194 - 0.0194"));
    EXPECT_EQ(Text(IDC_SATURATION_RANGE), QStringLiteral("0.8000 - 0.8039"));
    EXPECT_EQ(QSettings().value("HSV-S1").toInt(), 0) << "settings are only written by Save";
    EXPECT_EQ(Dialog().controlAs<QComboBox>(IDC_PRESET)->currentIndex(), -1);

    // With the mask on, the block passes and the grey around it does not.
    Dialog().controlAs<QAbstractButton>(IDC_MASK)->click();
    ShowCameraFrame(scene);
    const QImage picture = m_view->Picture();
    EXPECT_EQ(picture.pixelColor(Shown(40, 120)), QColor(200, 60, 40));
    EXPECT_EQ(picture.pixelColor(Shown(100, 120)), QColor(Qt::black));
}

TEST_F(RangePickTest, OverTheVirtualCamerasRedDiscOnlyTheDiscPassesAndItsShareIsShown)
{
    const ShapeCentre disc = VirtualShapesAt(0).red;
    FrameRecord frame = VirtualCameraFrame(0);
    Dialog().ProcessCameraFrame(frame, 30);
    EXPECT_TRUE(m_view->accessibleDescription().isEmpty()) << "no share while the mask is off";
    Drag(Shown(disc.x - 12, disc.y - 12), Shown(disc.x + 12, disc.y + 12));
    Dialog().controlAs<QAbstractButton>(IDC_MASK)->click();
    frame = VirtualCameraFrame(0);
    Dialog().ProcessCameraFrame(frame, 30);

    const QImage picture = m_view->Picture();
    EXPECT_NE(picture.pixelColor(Shown(disc.x, disc.y)), QColor(Qt::black));
    const VirtualShapes shapes = VirtualShapesAt(0);
    for (const ShapeCentre& other : {shapes.green, shapes.blue, ShapeCentre{disc.x, 200}})
        EXPECT_EQ(picture.pixelColor(Shown(other.x, other.y)), QColor(Qt::black));
    const double share = 100.0 * VirtualDiscPixels(disc) / (kVirtualWidth * kVirtualHeight);
    EXPECT_EQ(m_view->accessibleDescription(), QString::asprintf("%.1f %% pass", share));
}

TEST_F(RangePickTest, TheShareIsDrawnOverThePictureButNeverIntoIt)
{
    Scene scene;
    scene.Paint(kLeftBlock, kBrick);
    ShowCameraFrame(scene);
    // The grey around the block: 76800 - 1600 pixels pass.
    DragOver({200, 10, 300, 90});
    Dialog().controlAs<QAbstractButton>(IDC_MASK)->click();
    FrameRecord frame = scene.Frame();
    Dialog().ProcessCameraFrame(frame, 30);
    EXPECT_EQ(m_view->accessibleDescription(), QStringLiteral("97.9 % pass"));

    const QPoint corner(5, 5);
    EXPECT_EQ(m_view->Picture().pixelColor(corner), QColor(128, 128, 128));
    const uint8_t* shownTopLeft = frame.pixels() + (std::size_t(kHeight - 1) * kWidth) * 3;
    EXPECT_EQ(shownTopLeft[0], 128) << "the processed frame, which snapshots are made of, is untouched";
    EXPECT_LT(m_view->grab().toImage().pixelColor(corner).value(), 128) << "the share's box darkens the screen";

    Dialog().controlAs<QAbstractButton>(IDC_MASK)->click();
    frame = scene.Frame();
    Dialog().ProcessCameraFrame(frame, 30);
    EXPECT_TRUE(m_view->accessibleDescription().isEmpty());
    EXPECT_EQ(m_view->grab().toImage().pixelColor(corner), QColor(128, 128, 128));
}

TEST_F(RangePickTest, TheMirrorDecidesWhichPixelsAreMarked)
{
    Scene scene;
    scene.Paint(kLeftBlock, kBrick);
    ShowCameraFrame(scene);
    // The same place on screen without the mirror is grey: hue 0, saturation 0, value 128.
    const QPoint unmirroredFrom(int(22 * m_view->width() / double(kWidth)), Shown(0, 102).y());
    const QPoint unmirroredTo(int(57 * m_view->width() / double(kWidth)), Shown(0, 137).y());
    Drag(unmirroredFrom, unmirroredTo);
    EXPECT_EQ(Range(), QStringList({"0", "0", "0", "1", "128", "1"}));
}

TEST_F(RangePickTest, AClickPicksTheFivePixelsAroundIt)
{
    Scene scene;
    // A 5 × 5 block of brick in grey: a click on its centre takes brick only, one pixel off
    // takes in grey.
    scene.Paint({100, 50, 104, 54}, kBrick);
    ShowCameraFrame(scene);
    QTest::mouseClick(m_view, Qt::LeftButton, {}, Shown(102, 52));
    EXPECT_EQ(Range(), QStringList({"7", "0", "204", "1", "200", "1"}));
}

TEST_F(RangePickTest, NothingIsPickedBeforeAFrameIsShown)
{
    const QStringList before = Range();
    Drag(QPoint(10, 10), QPoint(60, 60));
    EXPECT_EQ(Range(), before);
}

TEST_F(RangePickTest, ShiftAddsCtrlCutsByTheCountOfKeptPixelsAndCtrlZUndoes)
{
    const QStringList start = Range();
    Scene scene;
    const Block small{20, 20, 39, 39};
    const Block large{100, 20, 159, 79};
    const Block between{200, 20, 239, 59};
    scene.Paint(small, kRed353);
    scene.Paint(large, kOrange9);
    scene.Paint(between, kRed358);
    ShowCameraFrame(scene);

    DragOver(small);
    EXPECT_EQ(Range(), QStringList({"353", "0", "255", "0", "255", "0"}));
    DragOver(large, Qt::ShiftModifier);
    EXPECT_EQ(Range(), QStringList({"353", "16", "255", "0", "255", "0"})) << "353 round to 9";
    // Hue 358 lies between: cutting from below keeps the large block, from above the small.
    DragOver(between, Qt::ControlModifier);
    EXPECT_EQ(Range(), QStringList({"359", "10", "255", "0", "255", "0"}));

    Undo();
    EXPECT_EQ(Range(), QStringList({"353", "16", "255", "0", "255", "0"}));
    Undo();
    EXPECT_EQ(Range(), QStringList({"353", "0", "255", "0", "255", "0"}));
    Undo();
    EXPECT_EQ(Range(), start);
    Undo();
    EXPECT_EQ(Range(), start);
}

TEST_F(RangePickTest, UndoGoesBackTwentyPicks)
{
    Scene scene;
    const Block left{20, 20, 59, 59};
    const Block right{200, 20, 239, 59};
    scene.Paint(left, kBrick);
    scene.Paint(right, kOrange9);
    ShowCameraFrame(scene);
    std::vector<QStringList> ranges{Range()};
    for (int pick = 0; pick < 21; ++pick) {
        DragOver(pick % 2 == 0 ? left : right);
        ranges.push_back(Range());
    }
    for (int step = 20; step >= 0; --step) {
        Undo();
        EXPECT_EQ(Range(), ranges[std::size_t(step)]) << "undo back to step " << step;
    }
}

TEST_F(RangePickTest, APresetOrATypedValueEndsTheChain)
{
    Scene scene;
    scene.Paint(kLeftBlock, kBrick);
    ShowCameraFrame(scene);
    DragOver(kLeftBlock);
    auto* presets = Dialog().controlAs<QComboBox>(IDC_PRESET);
    presets->setCurrentIndex(1);
    emit presets->activated(1);
    const QStringList red = Range();
    ASSERT_EQ(red, QStringList({"333", "60", "127", "0", "104", "0"}));
    Undo();
    EXPECT_EQ(Range(), red);

    DragOver(kLeftBlock);
    TypeAndLeave(IDC_VALUE, QStringLiteral("150"));
    const QStringList typed = Range();
    Undo();
    EXPECT_EQ(Range(), typed);
}

}  // namespace
