// SPDX-License-Identifier: GPL-3.0-or-later
// Interleaved renders as tests compare them: how loud, and where two first part bit for bit.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

inline float peak(const std::vector<float>& samples)
{
    float loudest = 0.0f;
    for (float s : samples)
        loudest = std::fmax(loudest, std::fabs(s));
    return loudest;
}

/** Index of the first sample whose bits differ, 0 when the lengths differ, or -1. */
inline long firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size()) return 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<long>(i);
    return -1;
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
