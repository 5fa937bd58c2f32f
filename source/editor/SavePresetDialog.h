// SPDX-License-Identifier: GPL-3.0-or-later
// "Save preset as...": a name asked for inside the editor, with the reason and a new question
// when the name cannot name a file (or the file cannot be written), and a yes-or-no question
// before a preset of that name is replaced. No native dialog opens.
#pragma once

#include <string>

namespace VSTGUI {
class VST3Editor;
}

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class PresetBrowser;

/** Starts the questions in `editor`; the browser saves. Both outlive the questions: the editor
    declines them when it closes, and it holds the controller that holds the browser. */
void askToSavePreset(VSTGUI::VST3Editor& editor, PresetBrowser& browser);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
