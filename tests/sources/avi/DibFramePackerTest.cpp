#include "imaging/FrameRecord.h"
#include "sources/avi/DibFramePacker.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

FramePtr MakeFrame(AVPixelFormat format, int width, int height)
{
    FramePtr frame(av_frame_alloc());
    frame->format = format;
    frame->width = width;
    frame->height = height;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    return frame;
}

TEST(DibFramePacker, RawFramesKeepTheirDepthAndOthersBecome24Bits)
{
    const struct {
        AVPixelFormat format;
        bool raw;
        int bitCount;
    } cases[] = {
        {AV_PIX_FMT_RGB555LE, true, 16},  {AV_PIX_FMT_BGR24, true, 24},     {AV_PIX_FMT_BGRA, true, 32},
        {AV_PIX_FMT_BGR0, true, 32},      {AV_PIX_FMT_PAL8, true, 8},       {AV_PIX_FMT_GRAY8, true, 8},
        {AV_PIX_FMT_MONOWHITE, true, 1},  {AV_PIX_FMT_YUV420P, true, 24},   {AV_PIX_FMT_YUYV422, true, 24},
        {AV_PIX_FMT_RGB565LE, true, 24},  {AV_PIX_FMT_YUVJ422P, false, 24}, {AV_PIX_FMT_BGRA, false, 24},
        {AV_PIX_FMT_RGB555LE, false, 24}, {AV_PIX_FMT_PAL8, false, 24},
    };
    for (const auto& c : cases) {
        AVFrame frame{};
        frame.format = c.format;
        EXPECT_EQ(DibFramePacker::BitCount(frame, c.raw), c.bitCount) << "format " << c.format << " raw " << c.raw;
    }
}

// A compressed stream's 32-bit frame loses its fourth byte; colour and orientation stay.
TEST(DibFramePacker, ConvertsOtherLayoutsToBottomUpBgr)
{
    FramePtr frame = MakeFrame(AV_PIX_FMT_BGRA, 3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* pixel = frame->data[0] + y * frame->linesize[0] + x * 4;
            pixel[0] = uint8_t(10 * x);
            pixel[1] = uint8_t(100 + y);
            pixel[2] = 200;
            pixel[3] = 7;
        }
    DibFramePacker packer;
    FrameRecord record;
    ASSERT_TRUE(packer.Pack(*frame, false, record));
    EXPECT_EQ(record.header().biBitCount, 24);
    EXPECT_EQ(record.header().biSizeImage, 18u);
    const std::vector<uint8_t> pixels(record.pixels(), record.pixels() + record.pixelCapacity());
    const std::vector<uint8_t> expected{0, 101, 200, 10, 101, 200, 20, 101, 200,
                                        0, 100, 200, 10, 100, 200, 20, 100, 200};
    EXPECT_EQ(pixels, expected);
}

TEST(DibFramePacker, RefusesFramesItCannotHandOn)
{
    DibFramePacker packer;
    FrameRecord record;
    EXPECT_FALSE(packer.Pack(*MakeFrame(AV_PIX_FMT_PAL8, 4, 4), true, record));
    AVFrame empty{};
    empty.format = AV_PIX_FMT_BGR24;
    EXPECT_FALSE(packer.Pack(empty, true, record));
    EXPECT_TRUE(record.empty());
}

}  // namespace
