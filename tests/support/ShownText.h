// SPDX-License-Identifier: GPL-3.0-or-later
// Texts a controller gives (UTF-16) as plain strings, so that tests compare them with literals
// and failures print readably.
#pragma once

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

/** The text as ASCII, '?' for anything beyond. */
inline std::string ascii(const char16* text)
{
    std::string out;
    for (; text && *text; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

/** What the controller shows for the parameter's current value. */
inline std::string shownValue(IEditController& controller, ParamID id)
{
    String128 text{};
    controller.getParamStringByValue(id, controller.getParamNormalized(id), text);
    return ascii(text);
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
