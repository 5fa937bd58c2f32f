// SPDX-License-Identifier: GPL-3.0-or-later
// Which template of the editor description a host's screen asks for.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** The description the editor is built from, among the module's resources. */
constexpr const char* kEditorDescriptionFile = "Tarvik_Brask.uidesc";
/** The desktop template: the 778 x 465 panel. */
constexpr const char* kEditorTemplate = "Editor";

/** "EditorIPad" when the host context offers IInterAppAudioHost and reports a screen whose right
 *  edge is 1024 or more, "EditorIPhone4Inch" for exactly 568, otherwise (another width, a failed
 *  query, no such interface, no context) "Editor". */
const char* editorTemplateFor(FUnknown* hostContext);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
