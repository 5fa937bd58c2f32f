// SPDX-License-Identifier: GPL-3.0-or-later
// The constructor that reads the module's own resources. It sits in a file of its own so that
// programs which hand the editor their own resource table need not define moduleResources().
#include "editor/VST3Editor.h"

namespace VSTGUI {

VST3Editor::VST3Editor(Steinberg::Vst::EditController* controller, UTF8StringPtr templateName,
                       UTF8StringPtr xmlFile)
    : VST3Editor(controller, templateName, xmlFile, moduleResources())
{}

} // namespace VSTGUI
