#pragma once

#include "controls/ColourSettings.h"
#include "controls/CurrentColour.h"
#include "imaging/HsvTable.h"

#include <QObject>

#include <array>

class ColourSwatch;
class HsvPanel;
class QLineEdit;
class UpDownControl;

// The widgets the colour value controls work with. Each colour edit is its spin's buddy.
struct ColourValueWidgets {
    std::array<UpDownControl*, 3> rgbSpins{};    // red, green, blue
    std::array<UpDownControl*, 3> hsvSpins{};    // hue, saturation, value
    std::array<QLineEdit*, 3> widthEdits{};      // the "+" edits: hue, saturation, value width
    std::array<QLineEdit*, 3> readouts{};        // hue, saturation, value range read-outs
    UpDownControl* erosionSpin = nullptr;
    UpDownControl* dilationSpin = nullptr;
    UpDownControl* lensSpin = nullptr;
    HsvPanel* panel = nullptr;
    ColourSwatch* oldMask = nullptr;
    ColourSwatch* newMask = nullptr;
};

enum class ColourComponent { Red, Green, Blue, Hue, Saturation, Value };

// The numeric side of the current colour: the red, green, blue and hue, saturation, value
// edits with their spins, the three width edits and the range read-outs, and the two mask
// swatches. The current colour is the lower corner of the colour range and the widths say
// how far it reaches; ShowRangeReadouts turns the two into the read-outs, the settings'
// stored range and the HSV range that the mask test reads.
class ColourValueControls : public QObject {
    Q_OBJECT

public:
    ColourValueControls(CurrentColour& colour, const ColourValueWidgets& widgets, ColourSettings& settings,
                        HsvRange& hsvRange, QObject* parent = nullptr);

    // Colour changes do nothing until the dialog's layout exists.
    void MarkGeometryReady() { m_bGeometryReady = true; }
    // Writes the three widths into the "+" edits.
    void SetWidthTexts(int32_t hueWidth, int32_t saturationWidth, int32_t valueWidth);

    void SetSpinRanges();
    // The colour spins follow the current colour; erosion, dilation and lens go back to
    // 2, 2 and 10.
    void SyncSpins();
    // Redraws everything that depends on the current colour.
    void UpdateColour();
    void PaintNewMask();
    void PaintOldMask();
    void ShowRangeReadouts();
    // A colour edit has lost the focus: its number becomes the component's value.
    void OnKillFocusColourEdit(ColourComponent component);

private:
    int32_t& Component(ColourComponent component);
    UpDownControl* Spin(ColourComponent component) const;

    CurrentColour& m_colour;
    ColourValueWidgets m_widgets;
    ColourSettings& m_settings;
    HsvRange& m_hsvRange;
    bool m_bGeometryReady = false;
    bool m_bUpdating = false;
};
