// SPDX-License-Identifier: GPL-3.0-or-later
#include "Utf16.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

namespace {

bool isLeadSurrogate(uint32 c)
{
    return c >= 0xD800 && c < 0xDC00;
}

bool isTrailSurrogate(uint32 c)
{
    return c >= 0xDC00 && c < 0xE000;
}

} // namespace

std::string toUtf8(const TChar* text, size_t capacity)
{
    std::string out;
    if (!text) return out;
    for (size_t i = 0; i < capacity && text[i] != 0; ++i)
    {
        uint32 c = static_cast<uint16>(text[i]);
        if (isLeadSurrogate(c) && i + 1 < capacity &&
            isTrailSurrogate(static_cast<uint16>(text[i + 1])))
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16>(text[i + 1]) - 0xDC00);
            ++i;
        }
        // Lead byte, then six bits a byte from the highest; the lead's marker says how many.
        const int continuation = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static const unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(kLead[continuation] | (c >> (6 * continuation)));
        for (int shift = 6 * (continuation - 1); shift >= 0; shift -= 6)
            out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
    return out;
}

void toString128(const std::string& text, String128 out)
{
    size_t length = 0;
    constexpr size_t kMax = 127;
    for (size_t i = 0; i < text.size() && length < kMax;)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        uint32 c = lead;
        size_t extra = 0;
        if (lead >= 0xF0)
            c = lead & 0x07, extra = 3;
        else if (lead >= 0xE0)
            c = lead & 0x0F, extra = 2;
        else if (lead >= 0xC0)
            c = lead & 0x1F, extra = 1;
        for (size_t k = 1; k <= extra && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += extra + 1;
        if (c >= 0x10000)
        {
            if (length + 2 > kMax) break;
            c -= 0x10000;
            out[length++] = static_cast<TChar>(0xD800 + (c >> 10));
            out[length++] = static_cast<TChar>(0xDC00 + (c & 0x3FF));
        }
        else
            out[length++] = static_cast<TChar>(c);
    }
    out[length] = 0;
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
