#include "imaging/BitmapFile.h"
#include "imaging/TestFrames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t Little32(const std::vector<uint8_t>& bytes, std::size_t offset)
{
    return bytes[offset] | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

class BitmapFileTest : public testing::Test {
protected:
    BitmapFileTest()
    {
        std::string pattern = (fs::temp_directory_path() / "vizmar-bmp-XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    ~BitmapFileTest() override { fs::remove_all(folder); }

    fs::path folder;
};

}  // namespace

TEST_F(BitmapFileTest, CameraFrameGivesAFileHeaderTheRecordAndItsPixels)
{
    FrameRecord frame = MakeFrame(320, 240);
    ImageView view = ViewOf(frame);
    for (std::size_t i = 0; i < view.byteCount(); ++i)
        view.pixels[i] = uint8_t(i * 7);
    const fs::path path = folder / "VIZMAR1234.bmp";

    ASSERT_TRUE(SaveBitmapFile(&frame, path.string()));

    const std::vector<uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 230454u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Little32(bytes, 2), 230454u);
    EXPECT_EQ(Little32(bytes, 6), 0u);
    EXPECT_EQ(Little32(bytes, 10), 54u);
    EXPECT_TRUE(std::equal(bytes.begin() + 14, bytes.end(), frame.data()));
}

TEST_F(BitmapFileTest, ReplacesALongerFileOfTheSameName)
{
    const fs::path path = folder / "VIZMAR7.bmp";
    std::ofstream(path) << std::string(5000, 'x');
    FrameRecord frame = MakeFrame(2, 2);

    ASSERT_TRUE(SaveBitmapFile(&frame, path.string()));

    EXPECT_EQ(fs::file_size(path), 54u + 12u);
}

TEST_F(BitmapFileTest, WritesNothingWithoutARecordOrAWritablePath)
{
    FrameRecord frame = MakeFrame(2, 2);
    FrameRecord empty;

    EXPECT_FALSE(SaveBitmapFile(nullptr, (folder / "none.bmp").string()));
    EXPECT_FALSE(SaveBitmapFile(&empty, (folder / "empty.bmp").string()));
    EXPECT_FALSE(SaveBitmapFile(&frame, (folder / "missing" / "VIZMAR1.bmp").string()));
    EXPECT_FALSE(SaveBitmapFile(&frame, folder.string()));

    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(BitmapFileTest, RefusesAHeaderClaimingMorePixelBytesThanTheRecordHolds)
{
    FrameRecord frame = MakeFrame(4, 4);
    BitmapInfoHeader header = frame.header();
    header.biSizeImage += 1;
    frame.setHeader(header);

    EXPECT_FALSE(SaveBitmapFile(&frame, (folder / "long.bmp").string()));
    EXPECT_FALSE(fs::exists(folder / "long.bmp"));
}

TEST_F(BitmapFileTest, ReportsAWriteThatDoesNotReachTheDisk)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    FrameRecord frame = MakeFrame(320, 240);
    EXPECT_FALSE(SaveBitmapFile(&frame, "/dev/full"));
}
