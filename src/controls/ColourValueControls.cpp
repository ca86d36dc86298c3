#include "controls/ColourValueControls.h"

#include "controls/ColourSwatch.h"
#include "controls/FocusOutHandler.h"
#include "controls/HsvPanel.h"
#include "controls/LeadingInteger.h"
#include "controls/UpDownControl.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>

namespace {
constexpr ColourComponent kComponents[] = {ColourComponent::Red, ColourComponent::Green,
                                           ColourComponent::Blue, ColourComponent::Hue,
                                           ColourComponent::Saturation, ColourComponent::Value};

bool IsRgb(ColourComponent component)
{
    return component == ColourComponent::Red || component == ColourComponent::Green ||
           component == ColourComponent::Blue;
}

// A spin position is a 16-bit number: only the low 16 bits of a component reach it.
int Low16(int32_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// Lower bound plus width; a width typed far beyond any hue stops at the int32 limit rather
// than wrapping round to a negative bound.
int32_t UpperBound(int32_t lower, int32_t width)
{
    const int64_t sum = int64_t{lower} + width;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

QString RangeText(double lower, double upper)
{
    return QString::asprintf("%0.4f - %0.4f", lower, upper);
}
}  // namespace

ColourValueControls::ColourValueControls(CurrentColour& colour, const ColourValueWidgets& widgets,
                                         ColourSettings& settings, HsvRange& hsvRange, QObject* parent)
    : QObject(parent)
    , m_colour(colour)
    , m_widgets(widgets)
    , m_settings(settings)
    , m_hsvRange(hsvRange)
{
    for (const ColourComponent component : kComponents)
        OnFocusOut(Spin(component)->Buddy(), this, [this, component] { OnKillFocusColourEdit(component); });
    connect(m_widgets.panel, &HsvPanel::colourDragged, this, [this] {
        SyncSpins();
        PaintNewMask();
    });
}

void ColourValueControls::SetWidthTexts(int32_t hueWidth, int32_t saturationWidth, int32_t valueWidth)
{
    m_widgets.widthEdits[0]->setText(QString::number(hueWidth));
    m_widgets.widthEdits[1]->setText(QString::number(saturationWidth));
    m_widgets.widthEdits[2]->setText(QString::number(valueWidth));
}

void ColourValueControls::SetSpinRanges()
{
    for (UpDownControl* spin : m_widgets.rgbSpins)
        spin->SetRange(0, 255);
    m_widgets.hsvSpins[0]->SetRange(0, 360);
    m_widgets.hsvSpins[1]->SetRange(0, 255);
    m_widgets.hsvSpins[2]->SetRange(0, 255);
    m_widgets.erosionSpin->SetRange(0, 9);
    m_widgets.dilationSpin->SetRange(0, 9);
    m_widgets.lensSpin->SetRange(10, 1000);
}

void ColourValueControls::SyncSpins()
{
    for (const ColourComponent component : kComponents)
        Spin(component)->SetPos(Low16(Component(component)));
    m_widgets.erosionSpin->SetPos(2);
    m_widgets.dilationSpin->SetPos(2);
    m_widgets.lensSpin->SetPos(10);
}

void ColourValueControls::UpdateColour()
{
    if (!m_bGeometryReady || m_bUpdating)
        return;
    HsvPanel& panel = *m_widgets.panel;
    panel.ToggleMarkers();
    PaintNewMask();
    // Moving the spins rewrites the edits, which must not start another update.
    m_bUpdating = true;
    panel.PlaceMarkers();
    panel.FillValueBar();
    panel.DrawHsvPanel();
    SyncSpins();
    m_bUpdating = false;
    ShowRangeReadouts();
}

void ColourValueControls::PaintNewMask()
{
    m_widgets.newMask->Paint(m_colour.m_rgb);
    ShowRangeReadouts();
}

void ColourValueControls::PaintOldMask()
{
    m_widgets.oldMask->Paint(m_colour.m_rgbOld);
}

void ColourValueControls::ShowRangeReadouts()
{
    const int32_t hue = m_widgets.hsvSpins[0]->GetPos().position;
    const int32_t saturation = m_widgets.hsvSpins[1]->GetPos().position;
    const int32_t value = m_widgets.hsvSpins[2]->GetPos().position;
    const int32_t hueWidth = LeadingInteger(m_widgets.widthEdits[0]->text());
    const int32_t saturationWidth = LeadingInteger(m_widgets.widthEdits[1]->text());
    const int32_t valueWidth = LeadingInteger(m_widgets.widthEdits[2]->text());

    m_widgets.readouts[0]->setText(RangeText(hue / 360.0, (hue + double(hueWidth)) / 360.0));
    m_widgets.readouts[1]->setText(
        RangeText(saturation / 255.0, saturationWidth != 0 ? (saturation + double(saturationWidth)) / 255.0 : 1.0));
    m_widgets.readouts[2]->setText(
        RangeText(value / 255.0, valueWidth != 0 ? (value + double(valueWidth)) / 255.0 : 1.0));

    m_settings.SetStoredRange({hue, hueWidth, saturation, saturationWidth, value, valueWidth});

    m_hsvRange.h0 = hue;
    m_hsvRange.h1 = UpperBound(hue, hueWidth);
    m_hsvRange.s0 = saturation;
    m_hsvRange.s1 = saturationWidth != 0 ? UpperBound(saturation, saturationWidth) : 255;
    m_hsvRange.v0 = value;
    m_hsvRange.v1 = valueWidth != 0 ? UpperBound(value, valueWidth) : 255;
}

void ColourValueControls::OnKillFocusColourEdit(ColourComponent component)
{
    const int32_t typed = LeadingInteger(Spin(component)->Buddy()->text());
    int32_t& current = Component(component);
    if (typed == current || !m_bGeometryReady)
        return;
    const int32_t highest = component == ColourComponent::Hue ? 359 : 255;
    current = std::clamp(typed, 0, highest);
    if (IsRgb(component))
        m_colour.m_hsv = RgbToHsv(m_colour.m_rgb);
    else
        m_colour.m_rgb = HsvToRgb(m_colour.m_hsv);
    UpdateColour();
}

int32_t& ColourValueControls::Component(ColourComponent component)
{
    switch (component) {
    case ColourComponent::Red: return m_colour.m_rgb.r;
    case ColourComponent::Green: return m_colour.m_rgb.g;
    case ColourComponent::Blue: return m_colour.m_rgb.b;
    case ColourComponent::Hue: return m_colour.m_hsv.h;
    case ColourComponent::Saturation: return m_colour.m_hsv.s;
    case ColourComponent::Value: break;
    }
    return m_colour.m_hsv.v;
}

UpDownControl* ColourValueControls::Spin(ColourComponent component) const
{
    const auto index = static_cast<size_t>(component);
    return index < 3 ? m_widgets.rgbSpins[index] : m_widgets.hsvSpins[index - 3];
}
