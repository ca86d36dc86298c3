#include "controls/LeadingInteger.h"

#include <QString>

#include <gtest/gtest.h>

#include <limits>

namespace {
TEST(LeadingIntegerTest, ReadsTheNumberAtTheStartLikePercentD)
{
    struct Case {
        const char16_t* text;
        int32_t number;
    };
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    const Case cases[] = {
        {u"42", 42},         {u"  \t17", 17},      {u"-5", -5},           {u"+8", 8},
        {u"12abc", 12},      {u"abc", 0},          {u"", 0},              {u"-", 0},
        {u"- 3", 0},         {u"3 4", 3},          {u"007", 7},           {u"2147483647", kMax},
        {u"2147483648", kMax}, {u"99999999999999999999", kMax}, {u"-2147483648", kMin},
        {u"-99999999999999", kMin}, {u"\u00a05", 5}, {u"\u0663", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LeadingInteger(QStringView(c.text)), c.number) << QString::fromUtf16(c.text).toStdString();
}
}  // namespace
