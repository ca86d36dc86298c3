// The main dialog's colour side: the HSV panel, the colour value controls with the mask
// swatches, the option controls and the presets, created over the template's controls.
#include "app/CVizmarDlg.h"

#include "app/StringTable.h"
#include "controls/ColourSwatch.h"
#include "controls/ColourValueControls.h"
#include "controls/HsvPanel.h"
#include "controls/OptionControls.h"
#include "controls/UpDownControl.h"
#include "presets/PresetControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

void CVizmarDlg::CreateColourControls()
{
    m_hsvPanel = new HsvPanel(m_colour, this);
    auto* oldMask = new ColourSwatch(QStringLiteral("Old Mask"), this);
    oldMask->setGeometry(m_rcOldMask);
    auto* newMask = new ColourSwatch(QStringLiteral("New Mask"), this);
    newMask->setGeometry(m_rcNewMask);

    ColourValueWidgets widgets;
    widgets.rgbSpins = {upDown(IDC_RED_SPIN), upDown(IDC_GREEN_SPIN), upDown(IDC_BLUE_SPIN)};
    widgets.hsvSpins = {upDown(IDC_HUE_SPIN), upDown(IDC_SATURATION_SPIN), upDown(IDC_VALUE_SPIN)};
    widgets.widthEdits = {controlAs<QLineEdit>(IDC_HUE_WIDTH), controlAs<QLineEdit>(IDC_SATURATION_WIDTH),
                          controlAs<QLineEdit>(IDC_VALUE_WIDTH)};
    widgets.readouts = {controlAs<QLineEdit>(IDC_HUE_RANGE), controlAs<QLineEdit>(IDC_SATURATION_RANGE),
                        controlAs<QLineEdit>(IDC_VALUE_RANGE)};
    widgets.erosionSpin = upDown(IDC_EROSION_SPIN);
    widgets.dilationSpin = upDown(IDC_DILATION_SPIN);
    widgets.lensSpin = upDown(IDC_LENS_SPIN);
    widgets.panel = m_hsvPanel;
    widgets.oldMask = oldMask;
    widgets.newMask = newMask;
    m_colourControls = std::make_unique<ColourValueControls>(m_colour, widgets, m_colourSettings, m_state.hsvRange);
}

void CVizmarDlg::CreateOptionControls()
{
    OptionWidgets widgets;
    widgets.input = controlAs<QComboBox>(IDC_INPUT);
    widgets.effect = controlAs<QComboBox>(IDC_EFFECT);
    widgets.mask = controlAs<QAbstractButton>(IDC_MASK);
    widgets.erosion = controlAs<QAbstractButton>(IDC_EROSION);
    widgets.lens = controlAs<QAbstractButton>(IDC_LENS);
    widgets.lensSpin = upDown(IDC_LENS_SPIN);
    OptionActions actions{[this] { UpdateErosionEnabled(); }, [this] { ResetInputState(); }};
    m_optionControls = std::make_unique<OptionControls>(m_options, widgets, std::move(actions));
}

void CVizmarDlg::CreatePresetControls()
{
    PresetWidgets widgets;
    widgets.box = controlAs<QComboBox>(IDC_PRESET);
    widgets.save = controlAs<QAbstractButton>(IDC_SAVE);
    widgets.saveAs = controlAs<QAbstractButton>(IDC_SAVE_AS);
    widgets.del = controlAs<QAbstractButton>(IDC_DELETE_PRESET);
    m_presets = std::make_unique<PresetControls>(*this, widgets, m_colour, *m_colourControls, m_colourSettings);
}

void CVizmarDlg::AddBuiltInPresets()
{
    m_presets->AddPreset(kIdsRedPreset, {333, 60, 127, 0, 104, 0});
    m_presets->AddPreset(kIdsGreenPreset, {105, 76, 40, 0, 54, 0});
    m_presets->AddPreset(kIdsBluePreset, {218, 60, 104, 0, 54, 0});
}

// The starting colour and widths come from the settings; the Old Mask starts as the current
// colour.
void CVizmarDlg::InitColourControls()
{
    m_colour.m_hsv = {m_Global.HsvH0, m_Global.HsvS0, m_Global.HsvV0};
    m_colourControls->MarkGeometryReady();
    m_colour.m_rgb = HsvToRgb(m_colour.m_hsv);
    m_colour.m_rgbOld = m_colour.m_rgb;
    m_colourControls->PaintOldMask();
    m_colourControls->SetWidthTexts(m_Global.HsvH1, m_Global.HsvS1, m_Global.HsvV1);
}
