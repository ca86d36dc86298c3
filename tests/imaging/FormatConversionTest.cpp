#include "imaging/FormatConversion.h"
#include "imaging/TestFrames.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct Rgb {
    int red;
    int green;
    int blue;
    bool operator==(const Rgb&) const = default;
};

Rgb Unpack(uint32_t packed)
{
    return {int(packed & 0xFF), int(packed >> 8 & 0xFF), int(packed >> 16 & 0xFF)};
}

// YUY2 bytes for a sequence of luma values with neutral chroma.
std::vector<uint8_t> NeutralYuy2(const std::vector<uint8_t>& lumas)
{
    std::vector<uint8_t> bytes;
    for (uint8_t y : lumas) {
        bytes.push_back(y);
        bytes.push_back(128);
    }
    return bytes;
}

uint8_t Scaled(int level)
{
    return uint8_t(level * 220 / 256);
}

FrameRecord SixteenBitFrame(const std::vector<uint16_t>& words, int width, int height, int bitCount = 16)
{
    FrameRecord frame = MakeFrame(width, height, bitCount);
    ImageView view = ViewOf(frame);
    for (std::size_t i = 0; i < words.size(); ++i) {
        view.pixels[i * view.bytesPerPixel] = uint8_t(words[i]);
        view.pixels[i * view.bytesPerPixel + 1] = uint8_t(words[i] >> 8);
    }
    return frame;
}

}  // namespace

TEST(YuvToRgbPixel, ConvertsAndScalesToTheCameraRange)
{
    struct Case {
        int y, u, v;
        Rgb expected;
    };
    const std::vector<Case> cases{
        {128, 128, 128, {110, 110, 110}},
        {255, 128, 128, {219, 219, 219}},
        {0, 128, 255, {149, 0, 0}},        // R = trunc(174.08) · 220 / 256
        {0, 0, 128, {0, 36, 0}},           // G = trunc(43.2) · 220 / 256, B below 0
        {255, 255, 255, {219, 105, 219}},  // G = trunc(255 − 88.6 − 42.9) · 220 / 256
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "," << c.u << "," << c.v);
        EXPECT_EQ(Unpack(YuvToRgbPixel(c.y, c.u, c.v)), c.expected);
    }
}

TEST(Yuy2ToRgb24, PutsTheFirstSourceLineIntoTheLastRowInMemory)
{
    const int width = 2;
    const int height = 3;
    // Lines top to bottom: lumas 255 and 200, then 128 and 100, then 0 and 50.
    const std::vector<uint8_t> source = NeutralYuy2({255, 200, 128, 100, 0, 50});
    std::vector<uint8_t> destination(width * height * 3);

    Yuy2ToRgb24(width, height, source.data(), destination.data());

    const ImageView view{width, height, 3, destination.data()};
    EXPECT_EQ(PixelAt(view, 2, 0), Grey(219));
    EXPECT_EQ(PixelAt(view, 2, 1), Grey(Scaled(200)));
    EXPECT_EQ(PixelAt(view, 1, 0), Grey(110));
    EXPECT_EQ(PixelAt(view, 1, 1), Grey(Scaled(100)));
    EXPECT_EQ(PixelAt(view, 0, 0), Grey(0));
    EXPECT_EQ(PixelAt(view, 0, 1), Grey(Scaled(50)));
}

TEST(Yuy2ToRgb24, SharesEachGroupsChromaBetweenItsTwoPixels)
{
    // Y0 0, U 128, Y1 0, V 255: both pixels red 149.
    const std::vector<uint8_t> source{0, 128, 0, 255};
    std::vector<uint8_t> destination(6);

    Yuy2ToRgb24(2, 1, source.data(), destination.data());

    EXPECT_EQ(destination, (std::vector<uint8_t>{0, 0, 149, 0, 0, 149}));
}

TEST(Yuy2ToRgb24, OddWidthsPlaceEveryPixelInItsOwnRowAndColumn)
{
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case{3, 2}, Case{3, 3}, Case{1, 4}, Case{5, 1}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        std::vector<uint8_t> lumas;
        for (int i = 0; i < c.width * c.height; ++i)
            lumas.push_back(uint8_t(10 + 20 * i));
        const std::vector<uint8_t> source = NeutralYuy2(lumas);
        std::vector<uint8_t> destination(std::size_t(c.width * c.height * 3));

        Yuy2ToRgb24(c.width, c.height, source.data(), destination.data());

        const ImageView view{c.width, c.height, 3, destination.data()};
        for (int line = 0; line < c.height; ++line)
            for (int x = 0; x < c.width; ++x)
                EXPECT_EQ(PixelAt(view, c.height - 1 - line, x), Grey(Scaled(lumas[line * c.width + x])))
                    << "line " << line << " column " << x;
    }
}

// Even widths convert whole lines at once; every luma with every chroma pair must come out as
// YuvToRgbPixel says. Line u × 256 + v holds lumas 0-255 in its 128 groups.
TEST(Yuy2ToRgb24, EvenWidthsGiveEveryColourAsThePixelConversion)
{
    const int width = 256;
    const int height = 256 * 256;
    std::vector<uint8_t> source(std::size_t(width) * height * 2);
    for (int line = 0; line < height; ++line)
        for (int group = 0; group < width / 2; ++group) {
            uint8_t* bytes = source.data() + (std::size_t(line) * width + 2 * group) * 2;
            bytes[0] = uint8_t(2 * group);
            bytes[1] = uint8_t(line >> 8);
            bytes[2] = uint8_t(2 * group + 1);
            bytes[3] = uint8_t(line);
        }
    std::vector<uint8_t> destination(std::size_t(width) * height * 3);
    Yuy2ToRgb24(width, height, source.data(), destination.data());

    for (int line = 0; line < height; ++line) {
        const uint8_t* row = destination.data() + std::size_t(height - 1 - line) * width * 3;
        for (int y = 0; y < width; ++y) {
            const Rgb expected = Unpack(YuvToRgbPixel(y, line >> 8, line & 0xFF));
            const uint8_t* bgr = row + 3 * y;
            ASSERT_EQ((Rgb{bgr[2], bgr[1], bgr[0]}), expected) << "Y " << y << " U " << (line >> 8) << " V " << (line & 0xFF);
        }
    }
}

// Lines are converted sixteen groups at a time and the rest group by group; every even width
// up to five blocks, with random bytes, must still match the pixel conversion everywhere.
TEST(Yuy2ToRgb24, EvenWidthsWithGroupsLeftOverMatchThePixelConversion)
{
    std::mt19937 random(11);
    const int height = 3;
    for (int width = 2; width <= 5 * 32 + 2; width += 2) {
        std::vector<uint8_t> source(std::size_t(width) * height * 2);
        for (uint8_t& byte : source)
            byte = uint8_t(random());
        std::vector<uint8_t> destination(std::size_t(width) * height * 3);

        Yuy2ToRgb24(width, height, source.data(), destination.data());

        for (int line = 0; line < height; ++line)
            for (int x = 0; x < width; ++x) {
                const uint8_t* group = source.data() + (std::size_t(line) * width + std::size_t(x / 2) * 2) * 2;
                const Rgb expected = Unpack(YuvToRgbPixel(group[x % 2 * 2], group[1], group[3]));
                const uint8_t* bgr = destination.data() + (std::size_t(height - 1 - line) * width + x) * 3;
                ASSERT_EQ((Rgb{bgr[2], bgr[1], bgr[0]}), expected) << "width " << width << " line " << line << " x " << x;
            }
    }
}

TEST(Rgb555ToRgb24, ExpandsEachFiveBitChannelAndWritesA24BitHeader)
{
    const std::vector<uint16_t> words{0x7FFF, 0x001F, 0x03E0, 0x7C00, 0x8000, 0x0421};
    FrameRecord source = SixteenBitFrame(words, 3, 2);
    FrameRecord destination;

    ASSERT_TRUE(Rgb555ToRgb24(source, destination));

    const BitmapInfoHeader header = destination.header();
    EXPECT_EQ(header.biWidth, 3);
    EXPECT_EQ(header.biHeight, 2);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(header.biSizeImage, 18u);
    ASSERT_EQ(destination.size(), 40u + 18u);
    const ImageView view = ViewOf(destination);
    EXPECT_EQ(PixelAt(view, 0, 0), (Bgr{248, 248, 248}));
    EXPECT_EQ(PixelAt(view, 0, 1), (Bgr{248, 0, 0}));
    EXPECT_EQ(PixelAt(view, 0, 2), (Bgr{0, 248, 0}));
    EXPECT_EQ(PixelAt(view, 1, 0), (Bgr{0, 0, 248}));
    EXPECT_EQ(PixelAt(view, 1, 1), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(view, 1, 2), (Bgr{8, 8, 8}));
}

// Every 16-bit word, in a frame whose rows are no whole number of vector blocks, so that words
// go through the vector loop and the pixel loop at every place.
TEST(Rgb555ToRgb24, EveryWordExpandsTheSameInVectorBlocksAndPixelByPixel)
{
    const int width = 259;
    const int height = 254;
    std::vector<uint16_t> words(std::size_t(width) * height);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(i * 40503u);
    FrameRecord source = SixteenBitFrame(words, width, height);
    FrameRecord destination;

    ASSERT_TRUE(Rgb555ToRgb24(source, destination));

    const ImageView view = ViewOf(destination);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const unsigned w = words[i];
        const Bgr expected{uint8_t((w & 31) * 8), uint8_t((w >> 5 & 31) * 8), uint8_t((w >> 10 & 31) * 8)};
        ASSERT_EQ(PixelAt(view, int(i) / width, int(i) % width), expected) << i;
    }
}

TEST(Rgb555ToRgb24, StepsByTheSourcesOwnPixelWidth)
{
    FrameRecord source = SixteenBitFrame({0x001F, 0x7C00}, 2, 1, 32);
    FrameRecord destination;

    ASSERT_TRUE(Rgb555ToRgb24(source, destination));

    EXPECT_EQ(PixelAt(ViewOf(destination), 0, 0), (Bgr{248, 0, 0}));
    EXPECT_EQ(PixelAt(ViewOf(destination), 0, 1), (Bgr{0, 0, 248}));
}

TEST(Rgb555ToRgb24, ResizesADestinationOfAnotherSize)
{
    FrameRecord source = SixteenBitFrame({0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF}, 2, 2);
    FrameRecord destination = MakeFrame(1, 1);

    ASSERT_TRUE(Rgb555ToRgb24(source, destination));

    ASSERT_EQ(destination.size(), 40u + 12u);
    EXPECT_EQ(PixelAt(ViewOf(destination), 1, 1), (Bgr{248, 248, 248}));
}

TEST(Rgb555ToRgb24, RefusesSourcesItCannotReadAndLeavesTheDestinationAlone)
{
    FrameRecord eightBit = MakeFrame(4, 4, 8);
    FrameRecord truncated(MakeFrame(4, 4, 16).data(), 40 + 31);
    FrameRecord noHeader;
    for (const FrameRecord* source : {&eightBit, &truncated, &noHeader}) {
        FrameRecord destination = MakeFrame(1, 1);
        Fill(ViewOf(destination), {1, 2, 3});

        EXPECT_FALSE(Rgb555ToRgb24(*source, destination));

        EXPECT_EQ(destination.header().biWidth, 1);
        EXPECT_EQ(PixelAt(ViewOf(destination), 0, 0), (Bgr{1, 2, 3}));
    }
}
