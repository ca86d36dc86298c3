#pragma once

#include <QStringView>

#include <cstdint>

// The signed decimal number at the start of a text, after leading white space, as the C
// library's "%d" reads it; 0 when the text does not start with a number. A number beyond
// the int32 range stops at its nearest end instead of wrapping.
int32_t LeadingInteger(QStringView text);
