#include "imaging/HsvTable.h"

#include "imaging/MaskBits.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr int kLevels = 256;
constexpr std::size_t kColourCount = std::size_t(kLevels) * kLevels * kLevels;
constexpr std::size_t kPassWordCount = kColourCount / 64;

// Hue in bits 16 and up, saturation in bits 8-15, value in bits 0-7: 64 MiB for the table.
HsvTableStorage g_table;

// The range test of every colour for the range it was built for; stale once the table changes.
struct PassBitsCache {
    std::unique_ptr<uint64_t[]> bits;
    HsvRange range;
    bool valid = false;
};
PassBitsCache g_passBits;

std::size_t ColourIndex(int r, int g, int b)
{
    return (std::size_t(r) << 16) | (std::size_t(g) << 8) | std::size_t(b);
}

// level / 255 for every level, the shares the table's rule works on.
std::array<double, kLevels> Shares()
{
    std::array<double, kLevels> shares{};
    for (int level = 0; level < kLevels; ++level)
        shares[level] = level / 255.0;
    return shares;
}

const std::array<double, kLevels> kShares = Shares();

// The table's own formula, kept apart from RgbToHsv: its hues differ by design for some
// colours. Written without branches so that a row of blues is computed in vector lanes.
// A channel's ratio (max − x) / d is exactly 0 for the largest channel and exactly 1 for the
// smallest, so only the middle channel needs a division; the results equal the rule's.
VIZMAR_CLONE_HELPER uint32_t EntryOf(double r, double g, double b)
{
    const double max = std::max(r, std::max(g, b));
    const double min = std::min(r, std::min(g, b));
    const double mid = std::max(std::min(r, g), std::min(std::max(r, g), b));
    const double d = max - min;
    const double middleRatio = (max - mid) / (d == 0 ? 1.0 : d);
    const double ratioR = r == max ? 0.0 : r == min ? 1.0 : middleRatio;
    const double ratioG = g == max ? 0.0 : g == min ? 1.0 : middleRatio;
    const double ratioB = b == max ? 0.0 : b == min ? 1.0 : middleRatio;

    const double hueIfRedMax = ratioB - ratioG;
    const double hueIfGreenMax = ratioR + 2 - ratioB;
    const double hueIfBlueMax = ratioG + 4 - ratioR;
    const double h = r == max ? hueIfRedMax : g == max ? hueIfGreenMax : hueIfBlueMax;
    int32_t hue = static_cast<int32_t>(h * 60);
    hue += hue < 0 ? 360 : 0;
    const auto value = static_cast<int32_t>(max * 255);
    // With max = 0, d is 0 too and the saturation 0, as the rule says.
    const auto saturation = static_cast<int32_t>((d / (max == 0 ? 1.0 : max)) * 255);
    return (uint32_t(hue) << 16) | (uint32_t(saturation) << 8) | uint32_t(value);
}

// A row in which red equals green, where blue meets both at once: the rule in full.
VIZMAR_VECTOR_CLONES
void FillRowInFull(uint32_t* row, double r, double g)
{
    for (int blue = 0; blue < kLevels; ++blue)
        row[blue] = EntryOf(r, g, kShares[blue]);
}

// Where blue stands among the three channels over a span of a row.
enum class BluePlace { Smallest, Middle, Largest };

// The hue of a span as the rule computes it from the middle channel's ratio mr: one of
// 1 − mr, mr − 1, (1 + 2) − mr, (mr + 2) − 1, (1 + 4) − mr and (mr + 4) − 1, written as
// (sign · mr + add) − subtract, which rounds the same.
struct HueForm {
    double sign;
    double add;
    double subtract;
};

// The entries of blues from to end − 1, all three channels different throughout, so that
// each channel's place (largest, middle, smallest) is the same for the whole span: the rule
// then needs no comparisons. high and low are the larger and the smaller of red and green.
template <BluePlace place>
VIZMAR_VECTOR_CLONES void FillSpan(uint32_t* row, int from, int end, double high, double low, HueForm form)
{
    for (int blue = from; blue < end; ++blue) {
        const double b = kShares[blue];
        const double max = place == BluePlace::Largest ? b : high;
        const double mid = place == BluePlace::Largest ? high : place == BluePlace::Middle ? b : low;
        const double min = place == BluePlace::Smallest ? b : low;
        const double d = max - min;
        const double middleRatio = (max - mid) / d;
        const double h = (form.sign * middleRatio + form.add) - form.subtract;
        int32_t hue = static_cast<int32_t>(h * 60);
        hue += hue < 0 ? 360 : 0;
        const auto value = static_cast<int32_t>(max * 255);
        const auto saturation = static_cast<int32_t>((d / max) * 255);
        row[blue] = (uint32_t(hue) << 16) | (uint32_t(saturation) << 8) | uint32_t(value);
    }
}

// A row of one red and one green. Where red and green differ, the blues below both, between
// them and above both are three spans of fixed channel order; the two blues equal to red or
// green take the rule in full, as does a row where red equals green.
void FillRow(uint32_t* row, int red, int green)
{
    const double r = kShares[red];
    const double g = kShares[green];
    if (red == green) {
        FillRowInFull(row, r, g);
        return;
    }
    const bool redLarger = red > green;
    const int high = std::max(red, green);
    const int low = std::min(red, green);
    const double highShare = kShares[high];
    const double lowShare = kShares[low];
    // Red largest: blue smallest gives 1 − mr, blue middle mr − 1. Green largest: red middle
    // gives (mr + 2) − 1, red smallest (1 + 2) − mr. Blue largest: green middle gives
    // (mr + 4) − 1, green smallest (1 + 4) − mr.
    const HueForm belowBoth = redLarger ? HueForm{-1, 1, 0} : HueForm{1, 2, 1};
    const HueForm between = redLarger ? HueForm{1, -1, 0} : HueForm{-1, 3, 0};
    const HueForm aboveBoth = redLarger ? HueForm{-1, 5, 0} : HueForm{1, 4, 1};
    FillSpan<BluePlace::Smallest>(row, 0, low, highShare, lowShare, belowBoth);
    row[low] = EntryOf(r, g, lowShare);
    FillSpan<BluePlace::Middle>(row, low + 1, high, highShare, lowShare, between);
    row[high] = EntryOf(r, g, highShare);
    FillSpan<BluePlace::Largest>(row, high + 1, kLevels, highShare, lowShare, aboveBoth);
}

void FillRed(uint32_t* table, int red)
{
    for (int g = 0; g < kLevels; ++g)
        FillRow(table + ColourIndex(red, g, 0), red, g);
}

// Runs work(red) for every red on every core. The cores take the reds one after another, so
// that a core slowed by other programs takes fewer; the calling thread works too, and also
// alone when no thread can be started.
template <typename Work>
void ForEachRed(Work work)
{
    std::atomic<int> nextRed{0};
    const auto takeReds = [&] {
        for (int red = nextRed++; red < kLevels; red = nextRed++)
            work(red);
    };
    const unsigned helpers = std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(kLevels)) - 1;
    std::vector<std::jthread> threads;
    try {
        for (unsigned k = 0; k < helpers; ++k)
            threads.emplace_back(takeReds);
    } catch (const std::system_error&) {
    }
    takeReds();
}

HsvTableStorage AllocateWithoutThrowing(std::size_t entryCount)
{
    return HsvTableStorage(new (std::nothrow) uint32_t[entryCount]);
}

// InHsvRange for 256 entries at once, one byte per entry.
VIZMAR_VECTOR_CLONES
void TestRow(const uint32_t* entries, const HsvRange& range, uint8_t* passes)
{
    const bool wraps = range.hueHigh >= 360;
    const int32_t hueLow = range.hueLow;
    const int32_t hueHigh = range.hueHigh;
    const int32_t wrappedHueHigh = range.hueHigh - 360;
    for (int i = 0; i < kLevels; ++i) {
        const auto hue = int32_t(entries[i] >> 16);
        const int32_t saturation = (entries[i] >> 8) & 0xFF;
        const int32_t value = entries[i] & 0xFF;
        const bool hueIn = wraps ? (hue >= hueLow) | (hue <= wrappedHueHigh) : (hueLow <= hue) & (hue <= hueHigh);
        const bool valueIn = (range.valueLow <= value) & (value <= range.valueHigh);
        const bool saturationIn = (range.saturationLow <= saturation) & (saturation <= range.saturationHigh);
        passes[i] = hueIn & valueIn & saturationIn;
    }
}

void FillPassBits(const uint32_t* table, const HsvRange& range, uint64_t* bits, int red)
{
    std::array<uint8_t, kLevels> passes;
    for (std::size_t row = ColourIndex(red, 0, 0); row < ColourIndex(red + 1, 0, 0); row += kLevels) {
        TestRow(table + row, range, passes.data());
        for (int word = 0; word < kLevels / 64; ++word) {
            uint64_t packed = 0;
            for (int byte = 0; byte < 8; ++byte)
                packed |= PackEightFlags(passes.data() + word * 64 + byte * 8) << (8 * byte);
            bits[row / 64 + std::size_t(word)] = packed;
        }
    }
}

}  // namespace

bool BuildHsvTable()
{
    return BuildHsvTableWith(AllocateWithoutThrowing);
}

bool BuildHsvTableWith(HsvTableAllocation allocate)
{
    FreeHsvTable();
    HsvTableStorage table = allocate(kColourCount);
    if (!table)
        return false;
    ForEachRed([entries = table.get()](int red) { FillRed(entries, red); });
    g_table = std::move(table);
    return true;
}

void FreeHsvTable()
{
    g_table.reset();
    g_passBits = PassBitsCache{};
}

bool HasHsvTable()
{
    return g_table != nullptr;
}

HsvEntry LookupHsv(uint8_t r, uint8_t g, uint8_t b)
{
    if (!g_table)
        return {};
    const uint32_t entry = g_table[ColourIndex(r, g, b)];
    return {int32_t(entry >> 16), uint8_t(entry >> 8), uint8_t(entry)};
}

int InHsvRange(uint8_t b, uint8_t g, uint8_t r, const HsvRange& range)
{
    if (!g_table)
        return 1;
    const HsvEntry entry = LookupHsv(r, g, b);
    const bool hueIn = range.hueHigh < 360 ? range.hueLow <= entry.hue && entry.hue <= range.hueHigh
                                      : entry.hue >= range.hueLow || entry.hue <= range.hueHigh - 360;
    const bool valueIn = range.valueLow <= entry.value && entry.value <= range.valueHigh;
    const bool saturationIn = range.saturationLow <= entry.saturation && entry.saturation <= range.saturationHigh;
    return hueIn && valueIn && saturationIn ? 1 : 0;
}

const uint64_t* HsvPassBits(const HsvRange& range)
{
    if (!g_table)
        return nullptr;
    if (g_passBits.valid && g_passBits.range == range)
        return g_passBits.bits.get();
    if (!g_passBits.bits)
        g_passBits.bits = std::make_unique<uint64_t[]>(kPassWordCount);
    ForEachRed([table = g_table.get(), bits = g_passBits.bits.get(), &range](int red) {
        FillPassBits(table, range, bits, red);
    });
    g_passBits.range = range;
    g_passBits.valid = true;
    return g_passBits.bits.get();
}
