#include "app/RangePicker.h"

#include "app/CameraView.h"
#include "controls/ColourValueControls.h"
#include "imaging/RegionRange.h"
#include "imaging/ShownRegion.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace {
constexpr int32_t kTopLevel = 255;
// A click takes this many frame pixels each way around the one clicked.
constexpr int kClickReach = 2;

// A saturation or value width of 0 means "up to 255", so a range ending below 255 keeps a
// width of at least 1.
int32_t StoredWidth(int32_t low, int32_t high)
{
    return high >= kTopLevel ? 0 : std::max(high - low, 1);
}

StoredColourRange StoredFormOf(const HsvRange& range)
{
    return {range.hueLow, range.hueHigh - range.hueLow, range.saturationLow, StoredWidth(range.saturationLow, range.saturationHigh),
            range.valueLow, StoredWidth(range.valueLow, range.valueHigh)};
}

PixelRect PixelRectOf(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.right(), rect.bottom()};
}
}  // namespace

RangePicker::RangePicker(QWidget& dialog, CameraView& view, PipelineState& state, const PipelineOptions& options,
                         ColourValueControls& colourControls, ColourSettings& settings)
    : QObject(&dialog)
    , m_view(view)
    , m_state(state)
    , m_options(options)
    , m_colourControls(colourControls)
    , m_settings(settings)
{
    connect(&view, &CameraView::regionMarked, this, &RangePicker::OnRegionMarked);
    auto* undo = new QShortcut(QKeySequence::Undo, &dialog);
    connect(undo, &QShortcut::activated, this, &RangePicker::Undo);
}

void RangePicker::OnRegionMarked(const QRect& region, Qt::KeyboardModifiers modifiers)
{
    EndChainIfChangedByHand();
    const std::vector<HsvEntry> samples = SamplesUnder(region);
    const std::optional<HsvRange> range = RangeFor(samples, modifiers);
    if (!range)
        return;
    m_steps.push_back({m_settings.StoredRange(), m_taken});
    if (m_steps.size() > kUndoLevels)
        m_steps.pop_front();
    if (!(modifiers & Qt::ControlModifier)) {
        if (!(modifiers & Qt::ShiftModifier))
            m_taken.clear();
        m_taken.insert(m_taken.end(), samples.begin(), samples.end());
    }
    Apply(StoredFormOf(*range));
}

void RangePicker::Undo()
{
    EndChainIfChangedByHand();
    if (m_steps.empty())
        return;
    const Step step = std::move(m_steps.back());
    m_steps.pop_back();
    m_taken = step.taken;
    Apply(step.before);
}

// The frame's pixels under a rectangle of the display area, through its scaling and the
// camera mirror.
std::vector<HsvEntry> RangePicker::SamplesUnder(const QRect& region)
{
    const std::optional<ImageView> frame = m_state.unprocessedCopy.view();
    if (!frame)
        return {};
    const ShownFrame shown{frame->width, frame->height, m_view.width(), m_options.sourceMode == kCameraSource};
    const bool click = region.width() == 1 && region.height() == 1;
    std::optional<PixelRect> pixels = click ? FramePixelShownAt(shown, region.left(), region.top())
                                            : FramePixelsUnder(shown, PixelRectOf(region));
    if (!pixels)
        return {};
    if (click)
        pixels = PixelRect{pixels->left - kClickReach, pixels->top - kClickReach, pixels->left + kClickReach,
                           pixels->top + kClickReach};
    return SampleRegion(*frame, *pixels);
}

std::optional<HsvRange> RangePicker::RangeFor(const std::vector<HsvEntry>& samples,
                                              Qt::KeyboardModifiers modifiers) const
{
    if (modifiers & Qt::ControlModifier)
        return CutRange(m_state.hsvRange, samples, m_taken);
    const std::optional<HsvRange> picked = RangeOfSamples(samples);
    if (picked && (modifiers & Qt::ShiftModifier))
        return WidenRange(m_state.hsvRange, *picked);
    return picked;
}

void RangePicker::EndChainIfChangedByHand()
{
    if (m_applied && *m_applied == m_settings.StoredRange())
        return;
    m_taken.clear();
    m_steps.clear();
    m_applied.reset();
}

void RangePicker::Apply(const StoredColourRange& range)
{
    m_colourControls.ApplyStoredRange(range);
    m_applied = m_settings.StoredRange();
}
