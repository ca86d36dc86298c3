// Arbitrary bytes as "preset.ini": the list read from them, saved and read again, must come
// back equal, name for name and value for value.

#include "presets/PresetFile.h"
#include "support/FuzzCheck.h"
#include "support/FuzzFolder.h"

#include <QDir>
#include <QFile>

namespace {
std::vector<PresetEntry> ReadPresets(const QString& path)
{
    QFile file(path);
    FuzzCheck(file.open(QIODevice::ReadOnly), "the preset file can be read");
    return ParsePresetFile(file.readAll());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QString path = QDir(FuzzFolder()).filePath(kPresetFileName);
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    FuzzCheck(WritePresetFile(path, content), "the fuzzer's preset file is written");

    const std::vector<PresetEntry> loaded = ReadPresets(path);
    for (const PresetEntry& preset : loaded)
        FuzzCheck(NameReadsBack(preset.name), "a name read from the file reads back as itself");
    FuzzCheck(WritePresetFile(path, FormatPresetFile(loaded)), "the presets are saved");
    FuzzCheck(ReadPresets(path) == loaded, "the saved presets read back as they were");
    return 0;
}
