#pragma once

#include "controls/ColourSettings.h"
#include "imaging/HsvTable.h"
#include "imaging/Pipeline.h"

#include <QObject>
#include <QRect>

#include <deque>
#include <optional>
#include <vector>

class CameraView;
class ColourValueControls;
class QWidget;

// The colour range taken from the picture. A rectangle marked on the display area gives the
// range of the frame's pixels under it (as they arrived, before any processing), a click the
// range of the 5 × 5 frame pixels around the one clicked; with Shift
// the range is widened to pass them too, with Ctrl they are cut away while as many as can of
// the pixels taken since the last plain pick keep passing. Ctrl+Z steps back. Every range
// goes in through the colour value controls, as if typed. A range changed by hand (typed,
// dragged on the panel, a preset) ends the chain of picks: its pixels and steps are dropped.
class RangePicker : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t kUndoLevels = 32;

    RangePicker(QWidget& dialog, CameraView& view, PipelineState& state, const PipelineOptions& options,
                ColourValueControls& colourControls, ColourSettings& settings);

    void OnRegionMarked(const QRect& region, Qt::KeyboardModifiers modifiers);
    void Undo();

private:
    struct Step {
        StoredColourRange before;
        std::vector<HsvEntry> taken;
    };

    std::vector<HsvEntry> SamplesUnder(const QRect& region);
    std::optional<HsvRange> RangeFor(const std::vector<HsvEntry>& samples, Qt::KeyboardModifiers modifiers) const;
    void EndChainIfChangedByHand();
    void Apply(const StoredColourRange& range);

    CameraView& m_view;
    PipelineState& m_state;
    const PipelineOptions& m_options;
    ColourValueControls& m_colourControls;
    ColourSettings& m_settings;
    // The pixels of the last plain pick and of every widening since.
    std::vector<HsvEntry> m_taken;
    std::deque<Step> m_steps;
    // What the last pick or undo stored; anything else found there was set by hand.
    std::optional<StoredColourRange> m_applied;
};
