#include "presets/PresetControls.h"

#include "controls/ColourValueControls.h"
#include "platform/MessageBox.h"
#include "platform/ModalRunner.h"
#include "platform/ProgramFolder.h"
#include "presets/CPresetDlg.h"
#include "presets/PresetFile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>

#include <span>

PresetControls::PresetControls(QWidget& dialog, const PresetWidgets& widgets, CurrentColour& colour,
                               ColourValueControls& colourControls, ColourSettings& settings)
    : m_Dialog(dialog)
    , m_Widgets(widgets)
    , m_Colour(colour)
    , m_ColourControls(colourControls)
    , m_Settings(settings)
{
    connect(m_Widgets.box, &QComboBox::activated, this, &PresetControls::OnPresetSelected);
    connect(m_Widgets.save, &QAbstractButton::clicked, this, &PresetControls::OnSave);
    connect(m_Widgets.saveAs, &QAbstractButton::clicked, this, &PresetControls::OnSaveAs);
    connect(m_Widgets.del, &QAbstractButton::clicked, this, &PresetControls::OnDeletePreset);
}

void PresetControls::AddPreset(const QString& name, const StoredColourRange& range)
{
    m_Widgets.box->addItem(name);
    m_PresetList.push_back({name, range});
}

void PresetControls::LoadPresets()
{
    QFile file(ProgramFilePath(kPresetFileName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const PresetEntry& preset : ParsePresetFile(file.readAll()))
        AddPreset(preset.name, preset.range);
}

bool PresetControls::SavePresets()
{
    const auto userPresets = std::span(m_PresetList).subspan(std::min<size_t>(kBuiltInCount, m_PresetList.size()));
    return WritePresetFile(ProgramFilePath(kPresetFileName), FormatPresetFile(userPresets));
}

void PresetControls::OnPresetSelected(int position)
{
    if (position <= 0 || static_cast<size_t>(position) > m_PresetList.size())
        return;
    const StoredColourRange& range = m_PresetList[position - 1].range;
    m_Colour.m_rgbOld = HsvToRgb({range.h0, range.s0, range.v0});
    m_ColourControls.PaintOldMask();
    m_ColourControls.ApplyStoredRange(range);
}

void PresetControls::OnSave()
{
    TakeCurrentColourAsOldMask();
    m_Settings.WriteRegistry();
}

void PresetControls::OnSaveAs()
{
    CPresetDlg nameDialog(&m_Dialog);
    if (RunModal(nameDialog) != QDialog::Accepted)
        return;
    TakeCurrentColourAsOldMask();
    AddPreset(nameDialog.m_strName, m_Settings.StoredRange());
    if (!SavePresets())
        ShowMessageBox(&m_Dialog, kPresetSaveError, MessageButtons::Ok, MessageIcon::None);
}

void PresetControls::OnDeletePreset()
{
    if (ShowMessageBox(&m_Dialog, kPresetDeleteQuestion, MessageButtons::YesNo, MessageIcon::Question) !=
        QMessageBox::Yes)
        return;
    const int position = m_Widgets.box->currentIndex();
    if (position < kFirstUserPosition) {
        ShowMessageBox(&m_Dialog, kPresetDeleteRefusal, MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }
    m_Widgets.box->removeItem(position);
    m_PresetList.erase(m_PresetList.begin() + (position - 1));
    SavePresets();
    m_Widgets.box->setCurrentIndex(0);
}

void PresetControls::FreePresetList()
{
    while (!m_PresetList.empty()) {
        m_Widgets.box->removeItem(static_cast<int>(m_PresetList.size()));
        m_PresetList.pop_back();
    }
}

// The Old Mask takes the current colour and the whole dialog shows it at once.
void PresetControls::TakeCurrentColourAsOldMask()
{
    m_Colour.m_rgbOld = m_Colour.m_rgb;
    m_ColourControls.PaintOldMask();
    m_Dialog.repaint();
}
