#pragma once

#include "controls/ColourSettings.h"
#include "controls/CurrentColour.h"
#include "presets/PresetEntry.h"

#include <QObject>
#include <QStringList>

#include <vector>

class ColourValueControls;
class QAbstractButton;
class QComboBox;
class QWidget;

struct PresetWidgets {
    QComboBox* box = nullptr;          // the preset box; position 0 is "Custom"
    QAbstractButton* save = nullptr;   // "&Save"
    QAbstractButton* saveAs = nullptr; // "Save &As"
    QAbstractButton* del = nullptr;    // "Del"
};

// The named colour ranges: the preset box, whose position k > 0 shows entry k of the
// preset list (counting from 1), the built-in presets first, then those of "preset.ini" in
// the program's folder and those saved while the program runs; and the buttons that save
// the current range, under a name or as the settings, and delete a preset.
class PresetControls : public QObject {
    Q_OBJECT

public:
    static constexpr int kBuiltInCount = 3;
    // Positions below this are "Custom" and the built-ins, which cannot be deleted.
    static constexpr int kFirstUserPosition = kBuiltInCount + 1;

    PresetControls(QWidget& dialog, const PresetWidgets& widgets, CurrentColour& colour,
                   ColourValueControls& colourControls, ColourSettings& settings);

    // Appends to the box and the list; neither writes the file nor selects.
    void AddPreset(const QString& name, const StoredColourRange& range);
    // Appends the presets of "preset.ini"; a missing or unreadable file adds none.
    void LoadPresets();
    // Rewrites "preset.ini" whole with every preset but the built-ins; false when it could
    // not be written (the old file is then left as it was).
    bool SavePresets();
    void OnPresetSelected(int position);
    void OnSave();
    void OnSaveAs();
    void OnDeletePreset();
    // Drops every preset from the list and the box, as the dialog's end does.
    void FreePresetList();

    const std::vector<PresetEntry>& PresetList() const { return m_PresetList; }
    // The names of the presets "preset.ini" holds, in list order.
    QStringList UserPresetNames() const;

signals:
    // A user preset was saved under this name, and "preset.ini" holds it.
    void PresetSaved(const QString& name);
    // The user chose a preset of "preset.ini"; its range is in force.
    void PresetChosen(const QString& name);
    // A user preset of this name was deleted, and "preset.ini" no longer holds it.
    void PresetDeleted(const QString& name);

private:
    void TakeCurrentColourAsOldMask();

    QWidget& m_dialog;
    PresetWidgets m_widgets;
    CurrentColour& m_colour;
    ColourValueControls& m_colourControls;
    ColourSettings& m_settings;
    std::vector<PresetEntry> m_PresetList;
};

// The texts of the preset messages.
inline const QString kPresetSaveError = QStringLiteral("Saving PRESET ini error!");
inline const QString kPresetDeleteQuestion = QStringLiteral("Are you sure to delete current selected PRESET?");
inline const QString kPresetDeleteRefusal = QStringLiteral("Unable to delete default PRESET.");
