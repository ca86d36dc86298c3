#include "imaging/RegionRange.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr int kHues = 360;
constexpr int kLevels = 256;
constexpr int kDimensions = 3;
constexpr std::array<int, kDimensions> kScale{kHues, kLevels, kLevels};
// Width on one scale for all three: the whole hue circle weighs as much as the whole
// saturation or value scale (360 × 256 per scale).
constexpr std::array<int64_t, kDimensions> kStepWeight{kLevels, kHues, kHues};

using Point = std::array<int, kDimensions>;

// An arc of the hue circle: start 0-359 and width 0-359 (start + width may pass 360).
struct HueArc {
    int start = 0;
    int width = 0;
};

int HueOf(const HsvEntry& entry)
{
    return std::clamp(entry.hue, 0, kHues - 1);
}

// The shortest arc covering every marked hue: all but the longest run of unmarked hues.
// Nothing when no hue is marked.
std::optional<HueArc> ArcCovering(const std::array<bool, kHues>& marked)
{
    const auto first = std::find(marked.begin(), marked.end(), true);
    if (first == marked.end())
        return std::nullopt;
    int longestGap = 0;
    int arcStart = 0;
    int gap = 0;
    // Two rounds from a marked hue, so that a gap through 0 is seen whole.
    const int from = int(first - marked.begin());
    for (int step = 1; step <= kHues; ++step) {
        const int hue = (from + step) % kHues;
        if (!marked[hue]) {
            ++gap;
            continue;
        }
        if (gap > longestGap) {
            longestGap = gap;
            arcStart = hue;
        }
        gap = 0;
    }
    return HueArc{arcStart, kHues - 1 - longestGap};
}

std::optional<HueArc> ArcOf(const HsvRange& range)
{
    std::array<bool, kHues> passes{};
    for (int hue = 0; hue < kHues; ++hue)
        passes[hue] = HuePasses(range, hue);
    return ArcCovering(passes);
}

// Position of a hue along an arc.
int AlongArc(int hue, const HueArc& arc)
{
    return (hue - arc.start + kHues) % kHues;
}

Point PointOf(const HsvEntry& entry, const HueArc& arc)
{
    return {AlongArc(HueOf(entry), arc), entry.saturation, entry.value};
}

HsvRange RangeOf(const HueArc& arc, int alongLow, int alongHigh, const Point& low, const Point& high)
{
    const int h0 = (arc.start + alongLow) % kHues;
    return {h0, h0 + alongHigh - alongLow, low[1], high[1], low[2], high[2]};
}

// Moves the sides of a box around points inwards, one occupied level at a time, keeping
// count of the points that fall outside.
class Peeler {
public:
    explicit Peeler(std::vector<Point> points)
        : m_points(std::move(points))
        , m_alive(m_points.size(), true)
    {
        for (int d = 0; d < kDimensions; ++d) {
            m_count[d].assign(std::size_t(kScale[d]), 0);
            for (const Point& point : m_points)
                ++m_count[d][std::size_t(point[d])];
            SortBy(d);
        }
        FindBounds();
    }

    // Peels while at most `allowed` points end up outside.
    void Peel(std::size_t allowed)
    {
        while (true) {
            const std::optional<Step> step = CheapestStep(allowed - m_removed);
            if (!step)
                return;
            Remove(step->dimension, step->level);
            m_removed += step->cost;
            FindBounds();
        }
    }

    const Point& Low() const { return m_low; }
    const Point& High() const { return m_high; }

private:
    struct Step {
        int dimension = 0;
        int level = 0;
        std::size_t cost = 0;
        int64_t gain = 0;
    };

    // The step that gives up the fewest points per width gained, within the budget.
    std::optional<Step> CheapestStep(std::size_t budget) const
    {
        std::optional<Step> best;
        for (int d = 0; d < kDimensions; ++d) {
            if (m_low[d] == m_high[d])
                continue;
            for (const bool lowSide : {true, false}) {
                const int level = lowSide ? m_low[d] : m_high[d];
                const std::size_t cost = m_count[d][std::size_t(level)];
                if (cost > budget)
                    continue;
                const int next = NextOccupied(d, level, lowSide ? 1 : -1);
                const Step step{d, level, cost, std::abs(next - level) * kStepWeight[d]};
                if (!best || int64_t(step.cost) * best->gain < int64_t(best->cost) * step.gain)
                    best = step;
            }
        }
        return best;
    }

    int NextOccupied(int d, int level, int direction) const
    {
        do
            level += direction;
        while (m_count[d][std::size_t(level)] == 0);
        return level;
    }

    // Orders the point numbers by their level in dimension d, each level's run starting at
    // m_runStart[d][level].
    void SortBy(int d)
    {
        std::vector<std::size_t>& start = m_runStart[d];
        start.assign(std::size_t(kScale[d]) + 1, 0);
        for (int level = 0; level < kScale[d]; ++level)
            start[std::size_t(level) + 1] = start[std::size_t(level)] + m_count[d][std::size_t(level)];
        std::vector<std::size_t> next(start.begin(), start.end() - 1);
        m_order[d].resize(m_points.size());
        for (std::size_t i = 0; i < m_points.size(); ++i)
            m_order[d][next[std::size_t(m_points[i][d])]++] = i;
    }

    void Remove(int d, int level)
    {
        for (std::size_t k = m_runStart[d][std::size_t(level)]; k < m_runStart[d][std::size_t(level) + 1]; ++k) {
            const std::size_t i = m_order[d][k];
            if (!m_alive[i])
                continue;
            m_alive[i] = false;
            for (int e = 0; e < kDimensions; ++e)
                --m_count[e][std::size_t(m_points[i][e])];
        }
    }

    void FindBounds()
    {
        for (int d = 0; d < kDimensions; ++d) {
            const std::vector<std::size_t>& count = m_count[d];
            m_low[d] = int(std::find_if(count.begin(), count.end(), [](std::size_t n) { return n > 0; }) - count.begin());
            m_high[d] = int(count.rend() - std::find_if(count.rbegin(), count.rend(), [](std::size_t n) { return n > 0; })) - 1;
        }
    }

    std::vector<Point> m_points;
    std::vector<bool> m_alive;
    std::array<std::vector<std::size_t>, kDimensions> m_count;
    std::array<std::vector<std::size_t>, kDimensions> m_order;
    std::array<std::vector<std::size_t>, kDimensions> m_runStart;
    Point m_low{};
    Point m_high{};
    std::size_t m_removed = 0;
};

std::size_t StrayAllowance(std::size_t count)
{
    return count * (100 - kRobustSharePercent) / 100;
}

// A range as a box of along-arc hue, saturation and value, with saturation and value
// limited to the levels that exist.
struct RangeBox {
    HueArc arc;
    Point low{};
    Point high{};

    RangeBox(const HsvRange& range, const HueArc& hueArc)
        : arc(hueArc)
        , low{0, std::clamp(range.saturationLow, 0, kLevels), std::clamp(range.valueLow, 0, kLevels)}
        , high{arc.width, std::clamp(range.saturationHigh, -1, kLevels - 1), std::clamp(range.valueHigh, -1, kLevels - 1)}
    {
    }

    HsvRange Range() const { return RangeOf(arc, low[0], high[0], low, high); }
};

// A saturation or value range of one level below 255 would be stored with width 0, which
// reads as "up to 255".
bool Storable(const RangeBox& box)
{
    for (int d = 1; d < kDimensions; ++d)
        if (box.low[d] == box.high[d] && box.high[d] < kLevels - 1)
            return false;
    return true;
}

std::size_t CountPassing(const HsvRange& range, const std::vector<HsvEntry>& samples)
{
    return std::size_t(std::count_if(samples.begin(), samples.end(),
                                     [&range](const HsvEntry& entry) { return RangePasses(range, entry); }));
}

std::vector<int> SortedLevels(const std::vector<Point>& points, int d)
{
    std::vector<int> levels;
    levels.reserve(points.size());
    for (const Point& point : points)
        levels.push_back(point[d]);
    std::sort(levels.begin(), levels.end());
    return levels;
}

}  // namespace

std::vector<HsvEntry> SampleRegion(const ImageView& frame, const PixelRect& region)
{
    std::vector<HsvEntry> samples;
    if (frame.bytesPerPixel < 3)
        return samples;
    const int left = std::max(region.left, 0);
    const int right = std::min(region.right, frame.width - 1);
    const int top = std::max(region.top, 0);
    const int bottom = std::min(region.bottom, frame.height - 1);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const uint8_t* bgr = frame.pixel(y, x);
            samples.push_back(LookupHsv(bgr[2], bgr[1], bgr[0]));
        }
    return samples;
}

bool HuePasses(const HsvRange& range, int hue)
{
    return range.hueHigh < kHues ? range.hueLow <= hue && hue <= range.hueHigh : hue >= range.hueLow || hue <= range.hueHigh - kHues;
}

bool RangePasses(const HsvRange& range, const HsvEntry& entry)
{
    return HuePasses(range, entry.hue) && range.saturationLow <= entry.saturation && entry.saturation <= range.saturationHigh
        && range.valueLow <= entry.value && entry.value <= range.valueHigh;
}

std::optional<HsvRange> RangeOfSamples(const std::vector<HsvEntry>& samples)
{
    std::array<bool, kHues> hues{};
    for (const HsvEntry& entry : samples)
        hues[std::size_t(HueOf(entry))] = true;
    const std::optional<HueArc> arc = ArcCovering(hues);
    if (!arc)
        return std::nullopt;
    std::vector<Point> points;
    points.reserve(samples.size());
    for (const HsvEntry& entry : samples)
        points.push_back(PointOf(entry, *arc));
    Peeler peeler(std::move(points));
    peeler.Peel(StrayAllowance(samples.size()));
    return RangeOf(*arc, peeler.Low()[0], peeler.High()[0], peeler.Low(), peeler.High());
}

HsvRange WidenRange(const HsvRange& range, const HsvRange& added)
{
    std::array<bool, kHues> hues{};
    for (int hue = 0; hue < kHues; ++hue)
        hues[std::size_t(hue)] = HuePasses(range, hue) || HuePasses(added, hue);
    const HueArc arc = ArcCovering(hues).value_or(HueArc{range.hueLow, range.hueHigh - range.hueLow});
    return {arc.start,
            arc.start + arc.width,
            std::min(range.saturationLow, added.saturationLow),
            std::max(range.saturationHigh, added.saturationHigh),
            std::min(range.valueLow, added.valueLow),
            std::max(range.valueHigh, added.valueHigh)};
}

std::optional<HsvRange> CutRange(const HsvRange& range, const std::vector<HsvEntry>& cut,
                                 const std::vector<HsvEntry>& kept)
{
    const std::optional<HueArc> arc = ArcOf(range);
    if (!arc)
        return std::nullopt;
    std::vector<Point> passing;
    for (const HsvEntry& entry : cut)
        if (RangePasses(range, entry))
            passing.push_back(PointOf(entry, *arc));
    if (passing.empty())
        return std::nullopt;
    const std::size_t strays = StrayAllowance(passing.size());
    const RangeBox box(range, *arc);

    std::optional<HsvRange> best;
    std::size_t bestKept = 0;
    int64_t bestLoss = 0;
    for (int d = 0; d < kDimensions; ++d) {
        const std::vector<int> levels = SortedLevels(passing, d);
        for (const bool lowSide : {true, false}) {
            RangeBox moved = box;
            if (lowSide)
                moved.low[d] = levels[levels.size() - 1 - strays] + 1;
            else
                moved.high[d] = levels[strays] - 1;
            if (moved.low[d] > moved.high[d] || !Storable(moved))
                continue;
            const HsvRange candidate = moved.Range();
            const std::size_t keptCount = CountPassing(candidate, kept);
            const int64_t loss = (box.high[d] - box.low[d] - (moved.high[d] - moved.low[d])) * kStepWeight[d];
            if (!best || keptCount > bestKept || (keptCount == bestKept && loss < bestLoss)) {
                best = candidate;
                bestKept = keptCount;
                bestLoss = loss;
            }
        }
    }
    return best;
}
