// SPDX-License-Identifier: GPL-3.0-or-later
// IUIDescription: what a loaded editor description offers to controllers and views.
#pragma once

#include "base/CBitmap.h"
#include "base/VSTGUIBase.h"

#include <memory>

namespace VSTGUI {

class IController;

class IUIDescription
{
public:
    virtual ~IUIDescription() = default;
    /** The bitmap of that name (from the description's bitmaps), null when missing or damaged. */
    virtual std::shared_ptr<CBitmap> getBitmap(UTF8StringPtr name) const = 0;
    /** A colour by name ("~ BlackCColor" and the other predefined ones, the description's own
     *  colours, or "#rrggbb" / "#rrggbbaa"). */
    virtual bool getColor(UTF8StringPtr name, CColor& color) const = 0;
    /** A font by name ("~ SystemFont" and the other predefined ones, or the description's). */
    virtual bool getFont(UTF8StringPtr name, CFontDesc& font) const = 0;
    /** The tag of a control-tag name, -1 when unknown. */
    virtual int32_t getTagForName(UTF8StringPtr name) const = 0;
    /** The name of a tag, null when no control-tag has it. */
    virtual UTF8StringPtr lookupControlTagName(int32_t tag) const = 0;
};

} // namespace VSTGUI
