// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParameterText.h"

#include <cstdlib>
#include <limits>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

/** The text up to its first non-ASCII code unit. No number grammar goes past such a unit, and
    the C library's white space is ASCII only, so the cut changes no result. */
std::string leadingAscii(const char16* text)
{
    std::string ascii;
    for (; *text != 0 && *text < 0x80; ++text)
        ascii.push_back(static_cast<char>(*text));
    return ascii;
}

bool isCSpace(char16 c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isHighSurrogate(char16 c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16 c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

bool readLeadingDouble(const char16* text, double& value)
{
    if (!text) return false;
    const std::string ascii = leadingAscii(text);
    char* end = nullptr;
    const double read = std::strtod(ascii.c_str(), &end);
    if (end == ascii.c_str()) return false;
    value = read;
    return true;
}

bool readLeadingInteger(const char16* text, int64& value)
{
    if (!text) return false;
    while (isCSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    if (*text < '0' || *text > '9') return false;

    constexpr uint64 limit = static_cast<uint64>(std::numeric_limits<int64>::max());
    uint64 magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        const uint64 digit = static_cast<uint64>(*text - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    value = negative ? -static_cast<int64>(magnitude) : static_cast<int64>(magnitude);
    return true;
}

bool isWellFormedUtf16(const char16* text)
{
    if (!text) return false;
    for (; *text != 0; ++text)
    {
        if (isHighSurrogate(*text))
        {
            if (!isLowSurrogate(text[1])) return false;
            ++text;
        }
        else if (isLowSurrogate(*text))
            return false;
    }
    return true;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
