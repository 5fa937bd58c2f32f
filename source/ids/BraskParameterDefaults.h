// SPDX-License-Identifier: GPL-3.0-or-later
// The Init sound: the normalized values a new instance plays. The processor starts with them and
// the controller advertises them as the parameters' defaults, so that every reset to default
// gives the sound a new instance plays. They are single-precision constants, widened to double
// wherever they are loaded: the golden renders hold the sound of exactly these values.
#pragma once

#include "BraskParameterIds.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Indexed by sound parameter ID. */
inline constexpr float kDefaultParamValues[kSoundParamCount] = {
    1.0f,  0.37f, 0.25f, 0.3f, 0.32f, 0.5f, 0.9f,  0.6f,  0.12f, 0.0f, 0.5f, 0.9f,
    0.89f, 0.9f,  0.73f, 0.0f, 0.5f,  1.0f, 0.71f, 0.81f, 0.65f, 0.0f, 0.5f, 0.5f,
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
