#include "CaptureDriverFactory.h"

#include "SystemV4l2Io.h"
#include "V4l2CaptureDriver.h"
#include "VirtualCaptureDriver.h"

#include <QString>

#include <utility>

namespace {
CaptureDriverFactory& OverridingFactory()
{
    static CaptureDriverFactory factory;
    return factory;
}
}  // namespace

std::unique_ptr<CaptureDriver> CreateCaptureDriver()
{
    if (OverridingFactory())
        return OverridingFactory()();
    if (qEnvironmentVariable("VIZMAR_CAMERA") == QLatin1String("virtual"))
        return std::make_unique<VirtualCaptureDriver>();
    return std::make_unique<V4l2CaptureDriver>(SystemV4l2Io());
}

ScopedCaptureDriverFactory::ScopedCaptureDriverFactory(CaptureDriverFactory factory)
    : m_previous(std::exchange(OverridingFactory(), std::move(factory)))
{
}

ScopedCaptureDriverFactory::~ScopedCaptureDriverFactory()
{
    OverridingFactory() = std::move(m_previous);
}
