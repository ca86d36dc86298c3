#include "sources/v4l2/MjpegDecoder.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> GreenJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(40, 200, 60));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", 95));
    return {buffer.data().begin(), buffer.data().end()};
}

bool Decodes(MjpegDecoder& decoder, const std::vector<uint8_t>& jpeg, int width, int height)
{
    std::vector<uint8_t> pixels(std::size_t(width * height * 3));
    const bool decoded = decoder.DecodeBottomUp(jpeg.data(), jpeg.size(), width, height, pixels.data());
    if (decoded) {
        EXPECT_NEAR(pixels[1], 200, 8) << "green of the first pixel";
    }
    return decoded;
}

// A picture is scaled to the size the camera was set to, unless it is many times larger:
// then it is damaged, and decoding it would allocate and clear all its announced pixels.
TEST(MjpegDecoderTest, PicturesFarLargerThanTheCameraFrameAreRefused)
{
    MjpegDecoder decoder;
    ASSERT_TRUE(decoder.IsOpen());
    EXPECT_TRUE(Decodes(decoder, GreenJpeg(64, 48), 64, 48));
    EXPECT_TRUE(Decodes(decoder, GreenJpeg(64, 48), 32, 24)) << "four times the pixels is still scaled";
    EXPECT_FALSE(Decodes(decoder, GreenJpeg(66, 50), 32, 24));
    EXPECT_TRUE(Decodes(decoder, GreenJpeg(16, 12), 64, 48)) << "a smaller picture is scaled up";
}

}  // namespace
