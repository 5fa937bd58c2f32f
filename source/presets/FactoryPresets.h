// SPDX-License-Identifier: GPL-3.0-or-later
// The factory bank as the module carries it: each preset's name, category and the normalized
// values of the 24 sound parameters, indexed by parameter ID, exactly as the processor's state
// holds them. The build generates the table from resource/presets/factory-bank.txt with the
// controller's own text conversion (tools/factory-presets), so the values are bit for bit those
// of the bank's .vstpreset files. Plain data: any thread may read it.
#pragma once

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

struct FactoryPreset
{
    static constexpr int32_t kValueCount = 24;

    const char* name;
    const char* category;
    double values[kValueCount];
};

class FactoryPresets
{
public:
    /** The number of presets; the first is "Init", the sound of a new instance. */
    static int32_t count();
    /** Preset `index` in the bank's order; null outside 0 .. count() - 1. */
    static const FactoryPreset* at(int32_t index);
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
