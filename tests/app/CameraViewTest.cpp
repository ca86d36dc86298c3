#include "app/CameraView.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {
// A bottom-up 24-bit frame whose rows, from the bottom, have the given colours.
FrameRecord StripedFrame(int width, const std::vector<QColor>& rowsFromBottom)
{
    FrameRecord frame(MakeBitmapHeader(width, int(rowsFromBottom.size()), 24));
    uint8_t* pixel = frame.pixels();
    for (const QColor& colour : rowsFromBottom) {
        for (int x = 0; x < width; ++x) {
            *pixel++ = uint8_t(colour.blue());
            *pixel++ = uint8_t(colour.green());
            *pixel++ = uint8_t(colour.red());
        }
    }
    return frame;
}

class CameraViewTest : public ::testing::Test {
protected:
    CameraViewTest() { m_view.resize(310, 250); }

    QColor At(int x, int y) const { return m_view.Picture().pixelColor(x, y); }

    CameraView m_view;
};

TEST_F(CameraViewTest, FillWhitePaintsTheWholeArea)
{
    m_view.FillWhite();
    EXPECT_EQ(At(0, 0), QColor(Qt::white));
    EXPECT_EQ(At(309, 249), QColor(Qt::white));
}

TEST_F(CameraViewTest, AFrameIsScaledToTheWidthWithTruncatedHeight)
{
    ASSERT_TRUE(m_view.DrawFrame(StripedFrame(320, std::vector<QColor>(240, Qt::red))));
    EXPECT_EQ(At(0, 0), QColor(Qt::red));
    EXPECT_EQ(At(309, 231), QColor(Qt::red)) << "310 × 240 / 320 = 232.5 gives 232 rows";
    EXPECT_EQ(At(0, 232).alpha(), 0);
}

TEST_F(CameraViewTest, BottomUpRowsAreShownTheRightWayUp)
{
    ASSERT_TRUE(m_view.DrawFrame(StripedFrame(31, {Qt::blue, Qt::green})));
    // 310 × 2 / 31 = 20 rows: the top half shows the frame's last (top) row.
    EXPECT_EQ(At(5, 2), QColor(Qt::green));
    EXPECT_EQ(At(5, 17), QColor(Qt::blue));
}

TEST_F(CameraViewTest, RefusesRecordsItCannotShow)
{
    m_view.FillWhite();
    FrameRecord short24 = StripedFrame(4, {Qt::red, Qt::red});
    short24.resize(kBitmapHeaderSize + 4 * 3);
    FrameRecord eightBit(MakeBitmapHeader(4, 2, 8));
    FrameRecord topDown = StripedFrame(4, {Qt::red});
    BitmapInfoHeader header = topDown.header();
    header.biHeight = -1;
    topDown.setHeader(header);
    for (const FrameRecord* frame : {&short24, &eightBit, &topDown, static_cast<FrameRecord*>(nullptr)}) {
        const FrameRecord empty;
        EXPECT_FALSE(m_view.DrawFrame(frame ? *frame : empty));
    }
    EXPECT_EQ(At(0, 0), QColor(Qt::white));
}

TEST_F(CameraViewTest, PaintingShowsTheRetainedPicture)
{
    m_view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    m_view.FillWhite();
    ASSERT_TRUE(m_view.DrawFrame(StripedFrame(320, std::vector<QColor>(240, Qt::red))));
    const QImage shown = m_view.grab().toImage();
    EXPECT_EQ(shown.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(10, 240), QColor(Qt::white));
}
}  // namespace
