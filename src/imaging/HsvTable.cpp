#include "HsvTable.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr int kLevels = 256;
constexpr std::size_t kColourCount = std::size_t(kLevels) * kLevels * kLevels;

// Hue in bits 16 and up, saturation in bits 8-15, value in bits 0-7: 64 MiB for the table.
HsvTableStorage g_table;

std::size_t ColourIndex(int r, int g, int b)
{
    return (std::size_t(r) << 16) | (std::size_t(g) << 8) | std::size_t(b);
}

uint32_t Pack(int32_t hue, int saturation, int value)
{
    return (uint32_t(hue) << 16) | (uint32_t(saturation) << 8) | uint32_t(value);
}

// The table's own formula, kept apart from RgbToHsv: its hues differ by design for some colours.
uint32_t ComputeEntry(int red, int green, int blue)
{
    const double r = red / 255.0;
    const double g = green / 255.0;
    const double b = blue / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double d = max - min;

    double ratioR = 0;
    double ratioG = 0;
    double ratioB = 0;
    if (d != 0) {
        ratioR = (max - r) / d;
        ratioG = (max - g) / d;
        ratioB = (max - b) / d;
    }

    double h = 0;
    if (r == max)
        h = ratioB - ratioG;
    else if (g == max)
        h = ratioR + 2 - ratioB;
    else
        h = ratioG + 4 - ratioR;

    int32_t hue = static_cast<int32_t>(h * 60);
    if (hue < 0)
        hue += 360;
    const int value = static_cast<int>(max * 255);
    const int saturation = max == 0 ? 0 : static_cast<int>((d / max) * 255);
    return Pack(hue, saturation, value);
}

void FillReds(uint32_t* table, int firstRed, int endRed)
{
    for (int r = firstRed; r < endRed; ++r)
        for (int g = 0; g < kLevels; ++g)
            for (int b = 0; b < kLevels; ++b)
                table[ColourIndex(r, g, b)] = ComputeEntry(r, g, b);
}

// Splits the reds among the cores; the calling thread takes the first share, and a share
// whose thread cannot be started is filled here too.
void FillTable(uint32_t* table)
{
    const int workers = int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(kLevels)));
    std::vector<std::jthread> threads;
    for (int k = 1; k < workers; ++k) {
        const int first = kLevels * k / workers;
        const int end = kLevels * (k + 1) / workers;
        try {
            threads.emplace_back(FillReds, table, first, end);
        } catch (const std::system_error&) {
            FillReds(table, first, end);
        }
    }
    FillReds(table, 0, kLevels / workers);
}

HsvTableStorage AllocateWithoutThrowing(std::size_t entryCount)
{
    return HsvTableStorage(new (std::nothrow) uint32_t[entryCount]);
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
    FillTable(table.get());
    g_table = std::move(table);
    return true;
}

void FreeHsvTable()
{
    g_table.reset();
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
    const bool hueIn = range.h1 < 360 ? range.h0 <= entry.hue && entry.hue <= range.h1
                                      : entry.hue >= range.h0 || entry.hue <= range.h1 - 360;
    const bool valueIn = range.v0 <= entry.value && entry.value <= range.v1;
    const bool saturationIn = range.s0 <= entry.saturation && entry.saturation <= range.s1;
    return hueIn && valueIn && saturationIn ? 1 : 0;
}
