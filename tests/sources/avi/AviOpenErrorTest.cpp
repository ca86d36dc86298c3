#include "sources/avi/AviOpenError.h"

#include <gtest/gtest.h>

#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

namespace {

TEST(ClassifyAviOpenError, MapsFfmpegErrorsToTheMessagesTheUserSees)
{
    const struct {
        int error;
        AviOpenError expected;
    } cases[] = {
        {AVERROR(ENOMEM), AviOpenError::NotEnoughMemory},
        {AVERROR_INVALIDDATA, AviOpenError::InvalidFormat},
        {AVERROR_EOF, AviOpenError::InvalidFormat},
        {AVERROR_PATCHWELCOME, AviOpenError::InvalidFormat},
        {AVERROR(ENOENT), AviOpenError::Other},
        {AVERROR(EACCES), AviOpenError::Other},
        {AVERROR(EIO), AviOpenError::Other},
        {AVERROR_PROTOCOL_NOT_FOUND, AviOpenError::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyAviOpenError(c.error), c.expected) << "error " << c.error;
}

}  // namespace
