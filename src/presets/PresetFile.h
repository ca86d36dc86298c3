#pragma once

#include "presets/PresetEntry.h"

#include <QByteArray>
#include <QString>

#include <span>
#include <vector>

// "preset.ini": for each preset a header line "[name]" and a values line
// "H0,H1,S0,S1,V0,V1", one byte per character, CR LF line ends.

inline const QString kPresetFileName = QStringLiteral("preset.ini");

// The presets a file's content holds, in file order. Comment lines (";" or "/" first) and
// lines shorter than two bytes are skipped; lines longer than 1023 bytes are read in pieces.
// A section counts once it has a values line of at least six numbers, the last such line
// winning; a values line with fewer tokens drops its section. Tokens that are not numbers
// read as 0, and a header with nothing between its brackets (or between quotes) names no
// section: the lines up to the next header are ignored.
std::vector<PresetEntry> ParsePresetFile(const QByteArray& content);

// The file's content for these presets, in order.
QByteArray FormatPresetFile(std::span<const PresetEntry> presets);

// Whether a preset of this name, written to the file, is read back under the same name. The
// reader drops the double quotes that may enclose a name, so a name that starts with one would
// come back renamed or not at all.
bool NameReadsBack(const QString& name);

// Replaces the file whole: the content goes into a new file beside it that then takes its
// place, so a failed or interrupted write leaves the old file as it was. Returns false when
// the file could not be replaced.
bool WritePresetFile(const QString& path, const QByteArray& content);
