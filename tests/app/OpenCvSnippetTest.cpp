#include "app/OpenCvSnippet.h"

#include "imaging/HsvMask.h"
#include "imaging/RegionRange.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

namespace {

// Hues 353-359 and 0-9 (all at saturation and value 255). The table gives hue k from 301 up
// for exact hues in (k - 1, k], and 0 also for (359, 360). OpenCV's hue strays up to 0.65
// from half the exact hue: 352 / 2 - 0.65 gives 176 at least, up to 180 (which is 0 there);
// 0-9 come from [0, 10), below 5 + 0.65, so 5 at most.
const HsvRange kRedAcrossZero{353, 369, 255, 255, 255, 255};
// Hues 100-140 from [100, 141): 50 - 0.65 to 70.5 + 0.65, so 50 to 71. The table truncates
// saturation where OpenCV rounds it, so 200 may be 201 there.
const HsvRange kGreens{100, 140, 50, 200, 60, 255};

std::vector<int> Numbers(const QString& text)
{
    std::vector<int> numbers;
    const QRegularExpression number(QStringLiteral("\\b\\d+\\b"));
    for (auto match = number.globalMatch(text); match.hasNext();)
        numbers.push_back(match.next().captured().toInt());
    return numbers;
}

// The numbers of every inRange call, in order.
std::vector<int> InRangeNumbers(const std::string& snippet)
{
    std::vector<int> numbers;
    for (const QString& line : QString::fromStdString(snippet).split('\n'))
        if (line.contains(QStringLiteral("inRange(")))
            for (int n : Numbers(line.section(QStringLiteral("inRange("), 1)))
                numbers.push_back(n);
    return numbers;
}

TEST(OpenCvSnippetTest, BoundsAreHalvedRoundedOutwardAndSplitWhereTheHueWraps)
{
    const std::vector<OpenCvBounds> red = OpenCvRanges(kRedAcrossZero);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_EQ(std::vector<int>({red[0].low[0], red[0].low[1], red[0].low[2], red[0].high[0], red[0].high[1],
                                red[0].high[2]}),
              std::vector<int>({176, 255, 255, 179, 255, 255}));
    EXPECT_EQ(std::vector<int>({red[1].low[0], red[1].high[0]}), std::vector<int>({0, 5}));

    const std::vector<OpenCvBounds> greens = OpenCvRanges(kGreens);
    ASSERT_EQ(greens.size(), 1u);
    EXPECT_EQ(std::vector<int>({greens[0].low[0], greens[0].low[1], greens[0].low[2], greens[0].high[0],
                                greens[0].high[1], greens[0].high[2]}),
              std::vector<int>({50, 50, 60, 71, 201, 255}));
    EXPECT_TRUE(OpenCvRanges({100, 90, 0, 255, 0, 255}).empty()) << "no hue passes";
}

TEST(OpenCvSnippetTest, BothLanguagesCarryTheSameNumbersAndSayHowHueRuns)
{
    const std::optional<MorphologyCounts> counts = MorphologyCounts{3, 1};
    for (const HsvRange& range : {kRedAcrossZero, kGreens}) {
        const std::string cpp = OpenCvSnippet(CodeLanguage::Cpp, range, counts);
        const std::string python = OpenCvSnippet(CodeLanguage::Python, range, counts);
        EXPECT_FALSE(InRangeNumbers(cpp).empty());
        EXPECT_EQ(InRangeNumbers(python), InRangeNumbers(cpp));
        for (const std::string& snippet : {cpp, python})
            EXPECT_NE(snippet.find("hue runs 0 to 359"), std::string::npos) << snippet;
        EXPECT_NE(cpp.find("cv::dilate(mask, mask, cross, cv::Point(-1, -1), 3);"), std::string::npos) << cpp;
        EXPECT_NE(cpp.find("cv::erode(mask, mask, cross, cv::Point(-1, -1), 1);"), std::string::npos) << cpp;
        EXPECT_NE(python.find("cv2.dilate(mask, cross, iterations=3)"), std::string::npos) << python;
        EXPECT_NE(python.find("cv2.erode(mask, cross, iterations=1)"), std::string::npos) << python;
    }
    const std::string plain = OpenCvSnippet(CodeLanguage::Cpp, kGreens, std::nullopt);
    EXPECT_EQ(plain.find("dilate"), std::string::npos);
    EXPECT_EQ(plain.find("wraps"), std::string::npos);
    EXPECT_NE(OpenCvSnippet(CodeLanguage::Cpp, kRedAcrossZero, std::nullopt).find("wraps"), std::string::npos);
}

// The C++ snippet built against OpenCV and run on frames.

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Rows of blue, green, red bytes, first row first.
using Frame = std::vector<uint8_t>;

Frame RandomFrame(std::mt19937& random)
{
    Frame frame(std::size_t(kWidth) * kHeight * 3);
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint8_t& b : frame)
        b = uint8_t(byte(random));
    return frame;
}

uint8_t Clamped(double level)
{
    return uint8_t(std::clamp(level, 0.0, 255.0));
}

// A lit grey-brown room with a red disc, a green card and a blue cup, under sensor noise.
Frame CameraLikeFrame(std::mt19937& random)
{
    Frame frame(std::size_t(kWidth) * kHeight * 3);
    std::normal_distribution<double> noise(0, 6);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double light = 0.55 + 0.45 * double(x) / kWidth;
            double b = 90 * light, g = 110 * light, r = 130 * light;
            const auto inside = [&](int cx, int cy, int reach) {
                return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= reach * reach;
            };
            if (inside(80, 80, 40))
                b = 25 * light, g = 20 * light, r = 230 * light;
            else if (x > 160 && x < 230 && y > 120 && y < 200)
                b = 60 * light, g = 200 * light, r = 50 * light;
            else if (inside(270, 60, 30))
                b = 210 * light, g = 90 * light, r = 40 * light;
            uint8_t* pixel = frame.data() + (std::size_t(y) * kWidth + std::size_t(x)) * 3;
            pixel[0] = Clamped(b + noise(random));
            pixel[1] = Clamped(g + noise(random));
            pixel[2] = Clamped(r + noise(random));
        }
    return frame;
}

// This program's own mask of a frame: 1 where a pixel is kept.
std::vector<uint8_t> OwnMask(Frame frame, const HsvRange& range, const std::optional<MorphologyCounts>& counts)
{
    Frame target(frame.size(), 255);
    const ImageView source{kWidth, kHeight, 3, frame.data()};
    const ImageView kept{kWidth, kHeight, 3, target.data()};
    if (counts) {
        WorkWindow window{0, 0, kWidth, kHeight};
        MaskBuffers buffers;
        MaskWithMorphology(source, kept, counts->grow, counts->shrink, window, range, buffers);
    } else {
        ApplyHsvMask(source, kept, range);
    }
    std::vector<uint8_t> mask(std::size_t(kWidth) * kHeight);
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = target[i * 3] != 0 ? 1 : 0;
    return mask;
}

// Reads width, height and pixels, writes the mask of every snippet, one after the other.
const char* const kDriver = R"(
#include <opencv2/core.hpp>
#include <fstream>
int main(int, char** argv)
{
    std::ifstream in(argv[1], std::ios::binary);
    int size[2];
    in.read(reinterpret_cast<char*>(size), sizeof size);
    cv::Mat bgr(size[1], size[0], CV_8UC3);
    in.read(reinterpret_cast<char*>(bgr.data), std::streamsize(bgr.total() * 3));
    std::ofstream out(argv[2], std::ios::binary);
    for (const auto mask : kMasks) {
        const cv::Mat result = mask(bgr);
        if (!result.isContinuous())
            return 1;
        out.write(reinterpret_cast<const char*>(result.data), std::streamsize(result.total()));
    }
    return in && out ? 0 : 1;
}
)";

class OpenCvBuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStringLiteral(VIZMAR_OPENCV_FLAGS).isEmpty())
            GTEST_SKIP() << "OpenCV (pkg-config opencv4) was not found when the tests were configured";
    }

    // Builds the snippets, each under a name of its own, with a driver that runs them all;
    // true when the compiler succeeded.
    bool Build(const std::vector<std::string>& snippets)
    {
        QByteArray source;
        QByteArray masks = "cv::Mat (*const kMasks[])(const cv::Mat&) = {";
        for (std::size_t i = 0; i < snippets.size(); ++i) {
            const QByteArray name = "VizmarMask" + QByteArray::number(qulonglong(i));
            source += QByteArray::fromStdString(snippets[i]).replace("VizmarMask(", name + "(");
            masks += name + ", ";
        }
        WriteFile(QStringLiteral("snippets.cpp"), source + masks + "};\n" + kDriver);
        QStringList arguments{QStringLiteral("-std=c++17"), m_folder.file(QStringLiteral("snippets.cpp")),
                              QStringLiteral("-o"), Program()};
        arguments += QStringLiteral(VIZMAR_OPENCV_FLAGS).split(' ', Qt::SkipEmptyParts);
        return Run(QStringLiteral(VIZMAR_TEST_CXX), arguments);
    }

    // For each snippet, the share of pixels (0-1) where it and this program agree.
    std::vector<double> Agreements(const Frame& frame, const std::vector<std::vector<uint8_t>>& own)
    {
        QByteArray input(reinterpret_cast<const char*>(&kWidth), sizeof kWidth);
        input.append(reinterpret_cast<const char*>(&kHeight), sizeof kHeight);
        input.append(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
        WriteFile(QStringLiteral("frame.raw"), input);
        const QString output = m_folder.file(QStringLiteral("masks.raw"));
        std::vector<double> agreements(own.size(), 0.0);
        QFile file(output);
        if (!Run(Program(), {m_folder.file(QStringLiteral("frame.raw")), output}) || !file.open(QIODevice::ReadOnly))
            return agreements;
        const QByteArray theirs = file.readAll();
        const std::size_t pixels = std::size_t(kWidth) * kHeight;
        if (std::size_t(theirs.size()) != own.size() * pixels)
            return agreements;
        for (std::size_t m = 0; m < own.size(); ++m) {
            std::size_t agree = 0;
            for (std::size_t i = 0; i < pixels; ++i)
                agree += (theirs[qsizetype(m * pixels + i)] != 0) == (own[m][i] != 0) ? 1 : 0;
            agreements[m] = double(agree) / double(pixels);
        }
        return agreements;
    }

private:
    QString Program() const { return m_folder.file(QStringLiteral("vizmar_mask")); }

    void WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_folder.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static bool Run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, arguments);
        return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    TempFolder m_folder;
};

struct Case {
    HsvRange range;
    std::optional<MorphologyCounts> counts;
};

TEST_F(OpenCvBuildTest, TheCppSnippetAgreesWithTheMaskOnCameraLikeAndRandomFrames)
{
    ASSERT_TRUE(BuildHsvTable());
    std::mt19937 random(13);
    const std::vector<Frame> frames{CameraLikeFrame(random), RandomFrame(random)};
    // Ranges as picks give them: the disc, the card and the cup of the camera-like frame.
    std::vector<HsvRange> ranges{kRedAcrossZero};
    Frame room = frames[0];
    const ImageView roomView{kWidth, kHeight, 3, room.data()};
    for (const PixelRect& region : {PixelRect{60, 60, 100, 100}, PixelRect{170, 130, 220, 190},
                                    PixelRect{260, 50, 280, 70}})
        ranges.push_back(RangeOfSamples(SampleRegion(roomView, region)).value());
    std::vector<Case> cases;
    std::vector<std::string> snippets;
    for (const HsvRange& range : ranges)
        for (const std::optional<MorphologyCounts>& counts : {std::optional<MorphologyCounts>(),
                                                              std::optional<MorphologyCounts>({2, 2})}) {
            cases.push_back({range, counts});
            snippets.push_back(OpenCvSnippet(CodeLanguage::Cpp, range, counts));
        }
    ASSERT_TRUE(Build(snippets));

    for (std::size_t f = 0; f < frames.size(); ++f) {
        std::vector<std::vector<uint8_t>> own;
        for (const Case& c : cases)
            own.push_back(OwnMask(frames[f], c.range, c.counts));
        const std::vector<double> agreements = Agreements(frames[f], own);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const HsvRange& r = cases[i].range;
            std::printf("hue %d-%d saturation %d-%d value %d-%d, %s frame, %s: %.2f %% agree\n", r.hueLow, r.hueHigh, r.saturationLow,
                        r.saturationHigh, r.valueLow, r.valueHigh, f == 0 ? "camera-like" : "random",
                        cases[i].counts ? "grow 2, shrink 2" : "mask alone", 100 * agreements[i]);
            if (!cases[i].counts) {
                EXPECT_GE(agreements[i], 0.995);
            }
        }
    }
    FreeHsvTable();
}

}  // namespace
