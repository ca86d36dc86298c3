#include "controls/OptionControls.h"

#include "controls/FocusOutHandler.h"
#include "controls/LeadingInteger.h"
#include "controls/UpDownControl.h"
#include "platform/CheckHandler.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

namespace {
// The lens edit is read through a 1024-character buffer.
constexpr qsizetype kLensTextLimit = 1023;
}  // namespace

OptionControls::OptionControls(PipelineOptions& options, const OptionWidgets& widgets, OptionActions actions,
                               QObject* parent)
    : QObject(parent)
    , m_Options(options)
    , m_Widgets(widgets)
    , m_Actions(std::move(actions))
{
    connect(m_Widgets.input, &QComboBox::activated, this, &OptionControls::OnInputModeSelected);
    connect(m_Widgets.effect, &QComboBox::activated, this, &OptionControls::OnEffectSelected);
    ConnectCheckHandler(m_Widgets.mask, this, [this] { OnMaskClicked(); });
    ConnectCheckHandler(m_Widgets.erosion, this, [this] { OnErosionClicked(); });
    ConnectCheckHandler(m_Widgets.lens, this, [this] { OnLensClicked(); });
    OnFocusOut(m_Widgets.lensSpin->Buddy(), this, [this] { OnKillFocusLensParameter(); });
}

void OptionControls::OnInputModeSelected(int index)
{
    m_Options.inputMode = index;
    m_Actions.updateErosionEnabled();
    m_Actions.resetInputState();
}

void OptionControls::OnEffectSelected(int index)
{
    m_Options.effect = index;
}

void OptionControls::OnMaskClicked()
{
    m_Options.mask = m_Widgets.mask->isChecked();
    m_Actions.updateErosionEnabled();
}

void OptionControls::OnErosionClicked()
{
    m_Options.morphology = m_Widgets.erosion->isChecked();
}

void OptionControls::OnLensClicked()
{
    m_Options.lens = m_Widgets.lens->isChecked();
    ReadLensParameter();
}

void OptionControls::OnKillFocusLensParameter()
{
    ReadLensParameter();
}

// Taken as typed, also outside the spin's range.
void OptionControls::ReadLensParameter()
{
    m_Options.lensParameter = LeadingInteger(m_Widgets.lensSpin->Buddy()->text().left(kLensTextLimit));
}
