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
    , m_options(options)
    , m_widgets(widgets)
    , m_actions(std::move(actions))
{
    connect(m_widgets.input, &QComboBox::activated, this, &OptionControls::OnInputModeSelected);
    connect(m_widgets.effect, &QComboBox::activated, this, &OptionControls::OnEffectSelected);
    ConnectCheckHandler(m_widgets.mask, this, [this] { OnMaskClicked(); });
    ConnectCheckHandler(m_widgets.erosion, this, [this] { OnErosionClicked(); });
    ConnectCheckHandler(m_widgets.lens, this, [this] { OnLensClicked(); });
    OnFocusOut(m_widgets.lensSpin->Buddy(), this, [this] { OnKillFocusLensParameter(); });
}

void OptionControls::OnInputModeSelected(int index)
{
    m_options.inputMode = index;
    m_actions.updateErosionEnabled();
    m_actions.resetInputState();
}

void OptionControls::OnEffectSelected(int index)
{
    m_options.effect = index;
}

void OptionControls::OnMaskClicked()
{
    m_options.mask = m_widgets.mask->isChecked();
    m_actions.updateErosionEnabled();
}

void OptionControls::OnErosionClicked()
{
    m_options.morphology = m_widgets.erosion->isChecked();
}

void OptionControls::OnLensClicked()
{
    m_options.lens = m_widgets.lens->isChecked();
    ReadLensParameter();
}

void OptionControls::OnKillFocusLensParameter()
{
    ReadLensParameter();
}

// Taken as typed, also outside the spin's range.
void OptionControls::ReadLensParameter()
{
    m_options.lensParameter = LeadingInteger(m_widgets.lensSpin->Buddy()->text().left(kLensTextLimit));
}
