#include "sources/CaptureDriverFactory.h"

#include "sources/v4l2/SystemV4l2Io.h"
#include "sources/v4l2/V4l2CaptureDriver.h"
#include "sources/virtual/VirtualCaptureDriver.h"

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
