// SPDX-License-Identifier: GPL-3.0-or-later
// The plug-in's UTF-16 texts and the host's UTF-8, malformed ones included.
#include "Utf16.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik::Hosting;

namespace {

TEST(Utf16, TextsCrossBothWaysAndMalformedOnesNeverFail)
{
    const struct
    {
        const char* what;
        std::vector<TChar> utf16; // without the terminator
        std::string utf8;
        bool roundTrip; // UTF-8 back to the same UTF-16
    } cases[] = {
        {"ASCII", {'V', 'C', 'F', ' ', '1'}, "VCF 1", true},
        {"two and three bytes", {0xB1, 0x20AC}, "\xC2\xB1\xE2\x82\xAC", true},
        {"a surrogate pair", {0xD83C, 0xDFB9}, "\xF0\x9F\x8E\xB9", true},
        {"a lone lead surrogate",
         {0xD83C, 'a'},
         "\xED\xA0\xBC"
         "a",
         true},
        {"a lone trail surrogate", {0xDFB9}, "\xED\xBE\xB9", true},
        {"empty", {}, "", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<TChar> terminated = c.utf16;
        terminated.push_back(0);
        EXPECT_EQ(toUtf8(terminated.data()), c.utf8);
        String128 back{};
        toString128(c.utf8, back);
        EXPECT_EQ(std::vector<TChar>(back, back + c.utf16.size() + 1), terminated);
    }
    EXPECT_EQ(toUtf8(nullptr), "");

    // An unterminated string is read no further than its capacity.
    String128 full;
    for (TChar& unit : full)
        unit = 'x';
    EXPECT_EQ(toUtf8(full), std::string(128, 'x'));
    EXPECT_EQ(toUtf8(full, 3), "xxx");

    // Cut where the next character does not fit; a truncated sequence gives what it holds.
    String128 cut{};
    toString128(std::string(126, 'a') + "\xF0\x9F\x8E\xB9", cut);
    EXPECT_EQ(cut[126], 0);
    toString128("\xE2\x82", cut);
    EXPECT_EQ(cut[0], TChar(0x82));
    EXPECT_EQ(cut[1], 0);
}

} // namespace
