// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/TextConversion.h"

#include "base/Utf8.h"

namespace VSTGUI {

namespace {

constexpr std::size_t kString128Units = 128;

} // namespace

void utf8ToString128(const std::string& text, Steinberg::Vst::String128 out)
{
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < text.size())
    {
        auto c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        std::size_t length = 0;
        if (c < 0x80)
        {
            cp = c;
            length = 1;
        }
        else if ((c >> 5) == 0x6)
        {
            cp = c & 0x1F;
            length = 2;
        }
        else if ((c >> 4) == 0xE)
        {
            cp = c & 0x0F;
            length = 3;
        }
        else if ((c >> 3) == 0x1E)
        {
            cp = c & 0x07;
            length = 4;
        }
        else
            break;
        if (i + length > text.size()) break;
        bool valid = true;
        for (std::size_t k = 1; k < length; ++k)
        {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) break;
        std::size_t units = cp >= 0x10000 ? 2 : 1;
        if (used + units >= kString128Units) break;
        if (units == 2)
        {
            cp -= 0x10000;
            out[used++] = static_cast<Steinberg::Vst::TChar>(0xD800 + (cp >> 10));
            out[used++] = static_cast<Steinberg::Vst::TChar>(0xDC00 + (cp & 0x3FF));
        }
        else
            out[used++] = static_cast<Steinberg::Vst::TChar>(cp);
        i += length;
    }
    out[used] = 0;
}

std::string string128ToUtf8(const Steinberg::Vst::TChar* text)
{
    std::string out;
    if (!text) return out;
    for (std::size_t i = 0; i < kString128Units && text[i]; ++i)
    {
        char32_t unit = static_cast<char16_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < kString128Units)
        {
            char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                appendUtf8(out, 0x10000u + ((unit - 0xD800u) << 10) + (low - 0xDC00u));
                ++i;
                continue;
            }
        }
        appendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? char32_t(0xFFFD) : unit);
    }
    return out;
}

} // namespace VSTGUI
