#include "CGlobal.h"

#include <QSettings>

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
        m_pDebugLog = std::fopen(kDebugLogFileName, "a");
}

CGlobal::~CGlobal()
{
    if (m_pDebugLog)
        std::fclose(m_pDebugLog);
}

void CGlobal::ReadRegistry()
{
    QSettings store = OpenStore();
    // A file that cannot be read or does not parse is ignored whole rather than half-trusted.
    if (store.status() != QSettings::NoError)
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
    return store.status() == QSettings::NoError ? 1 : 0;
}
