#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// The process-wide HSV lookup table: hue, saturation and value for each of the 16,777,216
// RGB colours, built once at start so that the per-pixel range test needs no arithmetic.

struct HsvEntry {
    int32_t hue = 0;
    uint8_t saturation = 0;
    uint8_t value = 0;
};

// The lowest and highest passing hue, saturation and value. A hue upper bound of 360 or more
// wraps through 0.
struct HsvRange {
    int32_t hueLow = 0;
    int32_t hueHigh = 359;
    int32_t saturationLow = 30;
    int32_t saturationHigh = 255;
    int32_t valueLow = 30;
    int32_t valueHigh = 255;
    bool operator==(const HsvRange&) const = default;
};

// Frees an existing table, then builds a new one on every core. Returns false (and leaves no
// table) when the memory cannot be had.
bool BuildHsvTable();

// The table's storage: one word per colour index (R << 16) | (G << 8) | B, or null when the
// memory cannot be had.
using HsvTableStorage = std::unique_ptr<uint32_t[]>;
using HsvTableAllocation = HsvTableStorage (*)(std::size_t entryCount);

// BuildHsvTable with the allocation step given, so that a failed allocation can be exercised.
bool BuildHsvTableWith(HsvTableAllocation allocate);

void FreeHsvTable();
bool HasHsvTable();

// The table's entry for a colour while a table exists; all zero without one.
HsvEntry LookupHsv(uint8_t r, uint8_t g, uint8_t b);

// 1 when the colour's table entry lies in the range, or when there is no table; else 0.
int InHsvRange(uint8_t b, uint8_t g, uint8_t r, const HsvRange& range);

// InHsvRange of every colour at once, so that testing a pixel takes one bit: bit i % 64 of
// word i / 64 for the colour index i = (R << 16) | (G << 8) | B. Rebuilt only when the range
// or the table has changed since the last call; null while there is no table. The bits stay
// valid until the next call or until the table is rebuilt or freed.
const uint64_t* HsvPassBits(const HsvRange& range);

// 1 when the colour with this index passes, else 0: the mask byte itself.
inline uint8_t PassBit(const uint64_t* passBits, uint32_t colourIndex)
{
    return static_cast<uint8_t>((passBits[colourIndex >> 6] >> (colourIndex & 63)) & 1);
}
