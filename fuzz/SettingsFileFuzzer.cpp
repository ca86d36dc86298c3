// Arbitrary bytes as the settings file: the 17 values are read without a crash, a file Qt
// finds damaged leaves every default, and what was read comes back the same once saved.

#include "app/CGlobal.h"
#include "support/FuzzApplication.h"
#include "support/FuzzCheck.h"
#include "support/FuzzFolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <tuple>

namespace {
// "DataPath" and the 16 numbers.
using SettingsValues = decltype(std::tuple(QString(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));

SettingsValues Read()
{
    const CGlobal store;
    return {store.DataPath, store.TransPreview, store.Startup, store.AutoCamStart, store.CamShutdown,
            store.CamSetting, store.BlockScreensaver, store.Debug, store.Tutorial, store.Mirror,
            store.HsvH0, store.HsvH1, store.HsvV0, store.HsvV1, store.HsvS0, store.HsvS1, store.Fps};
}

// Qt keeps parsed settings files by path and notices a change only through the file's time
// and size, so every input gets a store folder of its own; the one before is removed.
QString FreshStoreFolder()
{
    static int inputNumber = 0;
    const QDir fuzzFolder(FuzzFolder());
    QDir(fuzzFolder.filePath(QString::number(inputNumber))).removeRecursively();
    const QString folder = fuzzFolder.filePath(QString::number(++inputNumber));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    return folder;
}

// The program reads its settings with its application running: a value stored as a
// picture type (a QBitmap, say) needs one to be made at all.
const SettingsValues& Defaults()
{
    EnsureFuzzApplication();
    static const SettingsValues defaults = (FreshStoreFolder(), Read());
    return defaults;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const SettingsValues& defaults = Defaults();
    const QString folder = FreshStoreFolder();
    FuzzCheck(QDir().mkpath(folder + QStringLiteral("/Halvoren")), "the store folder is made");
    const QString storePath = folder + QStringLiteral("/Halvoren/tarsel.conf");
    QFile store(storePath);
    FuzzCheck(store.open(QIODevice::WriteOnly) && store.write(reinterpret_cast<const char*>(data), qsizetype(size)) ==
                                                      qsizetype(size),
              "the fuzzer's settings file is written");
    store.close();

    const SettingsValues read = Read();
    // Asked through a copy: Qt reports a format error only to the first reader of a path.
    const QString probePath = folder + QStringLiteral("/probe.conf");
    FuzzCheck(QFile::copy(storePath, probePath), "the settings file is copied");
    const bool damaged = QSettings(probePath, QSettings::IniFormat).status() == QSettings::FormatError;
    if (damaged)
        FuzzCheck(read == defaults, "a damaged settings file leaves the defaults");

    {
        CGlobal saved;
        FuzzCheck(saved.WriteRegistry() == 1, "the settings are saved");
    }
    FuzzCheck(Read() == read, "saved settings read back as they were");
    return 0;
}
