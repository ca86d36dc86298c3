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
    : m_dialog(dialog)
    , m_widgets(widgets)
    , m_colour(colour)
    , m_colourControls(colourControls)
    , m_settings(settings)
{
    connect(m_widgets.box, &QComboBox::activated, this, &PresetControls::OnPresetSelected);
    connect(m_widgets.save, &QAbstractButton::clicked, this, &PresetControls::OnSave);
    connect(m_widgets.saveAs, &QAbstractButton::clicked, this, &PresetControls::OnSaveAs);
    connect(m_widgets.del, &QAbstractButton::clicked, this, &PresetControls::OnDeletePreset);
}

void PresetControls::AddPreset(const QString& name, const StoredColourRange& range)
{
    m_widgets.box->addItem(name);
    m_PresetList.push_back({name, range});
}

void PresetControls::LoadPresets()
{
    QFile file(DataFileToRead(kPresetFileName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const PresetEntry& preset : ParsePresetFile(file.readAll()))
        AddPreset(preset.name, preset.range);
}

bool PresetControls::SavePresets()
{
    const auto userPresets = std::span(m_PresetList).subspan(std::min<size_t>(kBuiltInCount, m_PresetList.size()));
    return WritePresetFile(DataFileToWrite(kPresetFileName), FormatPresetFile(userPresets));
}

void PresetControls::OnPresetSelected(int position)
{
    if (position <= 0 || static_cast<size_t>(position) > m_PresetList.size())
        return;
    const StoredColourRange& range = m_PresetList[position - 1].range;
    m_colour.m_rgbOld = HsvToRgb({range.h0, range.s0, range.v0});
    m_colourControls.PaintOldMask();
    m_colourControls.ApplyStoredRange(range);
    if (position >= kFirstUserPosition)
        emit PresetChosen(m_PresetList[position - 1].name);
}

void PresetControls::OnSave()
{
    TakeCurrentColourAsOldMask();
    m_settings.WriteRegistry();
}

void PresetControls::OnSaveAs()
{
    CPresetDlg nameDialog(&m_dialog);
    if (RunModal(nameDialog) != QDialog::Accepted)
        return;
    TakeCurrentColourAsOldMask();
    AddPreset(nameDialog.m_strName, m_settings.StoredRange());
    if (SavePresets())
        emit PresetSaved(nameDialog.m_strName);
    else
        ShowMessageBox(&m_dialog, kPresetSaveError, MessageButtons::Ok, MessageIcon::None);
}

void PresetControls::OnDeletePreset()
{
    if (ShowMessageBox(&m_dialog, kPresetDeleteQuestion, MessageButtons::YesNo, MessageIcon::Question) !=
        QMessageBox::Yes)
        return;
    const int position = m_widgets.box->currentIndex();
    if (position < kFirstUserPosition) {
        ShowMessageBox(&m_dialog, kPresetDeleteRefusal, MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }
    const QString name = m_PresetList[position - 1].name;
    m_widgets.box->removeItem(position);
    m_PresetList.erase(m_PresetList.begin() + (position - 1));
    const bool saved = SavePresets();
    m_widgets.box->setCurrentIndex(0);
    if (saved)
        emit PresetDeleted(name);
}

QStringList PresetControls::UserPresetNames() const
{
    QStringList names;
    for (size_t i = kBuiltInCount; i < m_PresetList.size(); ++i)
        names.append(m_PresetList[i].name);
    return names;
}

void PresetControls::FreePresetList()
{
    while (!m_PresetList.empty()) {
        m_widgets.box->removeItem(static_cast<int>(m_PresetList.size()));
        m_PresetList.pop_back();
    }
}

// The Old Mask takes the current colour and the whole dialog shows it at once.
void PresetControls::TakeCurrentColourAsOldMask()
{
    m_colour.m_rgbOld = m_colour.m_rgb;
    m_colourControls.PaintOldMask();
    m_dialog.repaint();
}
