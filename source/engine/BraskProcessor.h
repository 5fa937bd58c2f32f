// SPDX-License-Identifier: GPL-3.0-or-later
// BraskProcessor: the instrument's processor, the thin glue between the generic frame and the
// synthesis engine.
#pragma once

#include "BaseProcessor.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Number of sound parameters; their IDs 0..23 index the value array. */
constexpr uint32 kBraskParamCount = 24;

/** Initial normalized values, kept as single-precision constants (widened when loaded). */
extern const float kDefaultParamValues[kBraskParamCount];

class BraskProcessor : public BaseProcessor
{
public:
    BraskProcessor();

    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    tresult PLUGIN_API setActive(TBool state) SMTG_OVERRIDE;

protected:
    void processAudio(ProcessData& data) SMTG_OVERRIDE;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
