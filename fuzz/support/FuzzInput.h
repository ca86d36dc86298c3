#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

// Takes typed values off the front of a fuzzer's input. Once the input runs out, every value
// reads as zero, so a short input is still a whole case.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, std::size_t size) : m_rest(data, size) {}

    template <typename T>
    T Take()
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T value{};
        const std::span<const uint8_t> bytes = TakeBytes(sizeof(T));
        std::memcpy(&value, bytes.data(), bytes.size());
        return value;
    }

    // A value from low to high, both included.
    int TakeInRange(int low, int high)
    {
        const uint32_t span = uint32_t(int64_t(high) - low) + 1;
        return int(int64_t(low) + Take<uint32_t>() % span);
    }

    bool TakeBool() { return (Take<uint8_t>() & 1) != 0; }

    // Up to count bytes, fewer when the input ends first.
    std::span<const uint8_t> TakeBytes(std::size_t count)
    {
        const std::span<const uint8_t> taken = m_rest.first(std::min(count, m_rest.size()));
        m_rest = m_rest.subspan(taken.size());
        return taken;
    }

    std::span<const uint8_t> Rest() { return TakeBytes(m_rest.size()); }

private:
    std::span<const uint8_t> m_rest;
};
