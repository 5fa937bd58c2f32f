// SPDX-License-Identifier: GPL-3.0-or-later
// IController: a control listener that also takes part in building views from a description.
// The editor is the top controller; a view with a "sub-controller" attribute asks for another
// one, which then serves that view and everything inside it. The editor owns the controllers it
// was given and deletes them when it is destroyed.
#pragma once

#include "description/IUIDescription.h"
#include "description/UIAttributes.h"
#include "views/CControlListener.h"

namespace VSTGUI {

class CView;

class IController : public CControlListener
{
public:
    /** The tag for a control-tag name; `registeredTag` is the description's tag for it. */
    virtual int32_t getTagForName(UTF8StringPtr /*name*/, int32_t registeredTag) const
    {
        return registeredTag;
    }
    /** The listener for controls with that control-tag name. */
    virtual CControlListener* getControlListener(UTF8StringPtr /*controlTagName*/) { return this; }
    /** A view of its own for the attributes, or null to let the description build one. */
    virtual CView* createView(const UIAttributes& /*attributes*/,
                              const IUIDescription* /*description*/)
    {
        return nullptr;
    }
    /** Sees every view built under this controller; may return a replacement. */
    virtual CView* verifyView(CView* view, const UIAttributes& /*attributes*/,
                              const IUIDescription* /*description*/)
    {
        return view;
    }
    /** A nested controller for a "sub-controller" name, or null. */
    virtual IController* createSubController(UTF8StringPtr /*name*/,
                                             const IUIDescription* /*description*/)
    {
        return nullptr;
    }
};

} // namespace VSTGUI
