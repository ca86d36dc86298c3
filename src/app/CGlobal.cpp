#include "app/CGlobal.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <array>

namespace {
struct NumberValue {
    const char* name;
    int32_t CGlobal::*member;
};

// The numbers in the order they are read; "CamShutdown" is never read back.
constexpr std::array<NumberValue, 15> kReadOrder{{
    {"AutoCamStart", &CGlobal::AutoCamStart},
    {"Startup", &CGlobal::Startup},
    {"TransPreview", &CGlobal::TransPreview},
    {"CamSetting", &CGlobal::CamSetting},
    {"DEBUG", &CGlobal::Debug},
    {"Tutorial", &CGlobal::Tutorial},
    {"Mirror", &CGlobal::Mirror},
    {"FPS", &CGlobal::Fps},
    {"BlockScreensaver", &CGlobal::BlockScreensaver},
    {"HSV-H0", &CGlobal::HsvH0},
    {"HSV-H1", &CGlobal::HsvH1},
    {"HSV-S0", &CGlobal::HsvS0},
    {"HSV-S1", &CGlobal::HsvS1},
    {"HSV-V0", &CGlobal::HsvV0},
    {"HSV-V1", &CGlobal::HsvV1},
}};

// The numbers written after "DataPath", in order.
constexpr std::array<NumberValue, 12> kWrittenAfterDataPath{{
    {"CamSetting", &CGlobal::CamSetting},
    {"DEBUG", &CGlobal::Debug},
    {"Tutorial", &CGlobal::Tutorial},
    {"Mirror", &CGlobal::Mirror},
    {"FPS", &CGlobal::Fps},
    {"BlockScreensaver", &CGlobal::BlockScreensaver},
    {"HSV-H0", &CGlobal::HsvH0},
    {"HSV-H1", &CGlobal::HsvH1},
    {"HSV-S0", &CGlobal::HsvS0},
    {"HSV-S1", &CGlobal::HsvS1},
    {"HSV-V0", &CGlobal::HsvV0},
    {"HSV-V1", &CGlobal::HsvV1},
}};

// QSettings reads what it can of a damaged file and does not always say so: it reports a
// format error only to the first reader of a file it keeps parsed. A file with control bytes,
// a line that is neither "[section]" nor "name=value" (a line opening with "[" is a header
// and must close it, before any ";", which Qt reads as the start of a comment), or a last
// line without its line end (QSettings ends every line it writes) is taken as damaged.
bool IsWholeSettingsFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    if (content.isEmpty())
        return true;
    if (!content.endsWith('\n'))
        return false;
    // Qt ends a line at a carriage return as well.
    QByteArray lines = content;
    lines.replace('\r', '\n');
    for (const QByteArray& rawLine : lines.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        const bool hasControlBytes =
            std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        const bool opensSection = line.startsWith('[');
        const bool isSection = opensSection && line.endsWith(']') && !line.contains(';');
        if (hasControlBytes || (opensSection && !isSection) || (!isSection && !line.contains('=')))
            return false;
    }
    return true;
}

QSettings OpenStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halvoren"),
                     QStringLiteral("tarsel"));
}
}  // namespace

CGlobal::CGlobal()
{
    ReadRegistry();
    if (Debug != 0)
        m_debugLog = std::fopen(kDebugLogFileName, "a");
}

CGlobal::~CGlobal()
{
    if (m_debugLog)
        std::fclose(m_debugLog);
}

void CGlobal::ReadRegistry()
{
    QSettings store = OpenStore();
    // A store that cannot be read or is damaged is ignored whole rather than half-trusted.
    // (Where the store is not a file, as the registry on Windows, only the status counts.)
    const QFileInfo storeFile(store.fileName());
    if (store.status() != QSettings::NoError || (storeFile.isFile() && !IsWholeSettingsFile(storeFile.filePath())))
        return;
    const QVariant dataPath = store.value(QStringLiteral("DataPath"));
    if (dataPath.typeId() == QMetaType::QString)
        DataPath = dataPath.toString();
    for (const NumberValue& value : kReadOrder) {
        // Through the text, which checks the range; QVariant::toInt would wrap big numbers.
        bool isNumber = false;
        const int number = store.value(QLatin1String(value.name)).toString().toInt(&isNumber);
        if (isNumber)
            this->*value.member = number;
    }
}

int CGlobal::WriteRegistry()
{
    QSettings store = OpenStore();
    if (!store.isWritable())
        return 0;
    store.setValue(QStringLiteral("AutoCamStart"), AutoCamStart);
    store.setValue(QStringLiteral("CamShutdown"), 0);
    store.setValue(QStringLiteral("Startup"), Startup);
    store.setValue(QStringLiteral("TransPreview"), TransPreview);
    store.setValue(QStringLiteral("DataPath"), DataPath);
    for (const NumberValue& value : kWrittenAfterDataPath)
        store.setValue(QLatin1String(value.name), this->*value.member);
    store.sync();
    // A format error only says that the old file was damaged; it has been replaced.
    return store.status() == QSettings::AccessError ? 0 : 1;
}
