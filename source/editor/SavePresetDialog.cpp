// SPDX-License-Identifier: GPL-3.0-or-later
#include "SavePresetDialog.h"

#include "PresetBrowser.h"

#include "editor/VST3Editor.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr const char* kAskForName = "Save preset as:";

void askForName(VSTGUI::VST3Editor& editor, PresetBrowser& browser, const std::string& text,
                const std::string& title);

void write(VSTGUI::VST3Editor& editor, PresetBrowser& browser, const std::string& name,
           bool replace)
{
    std::string error;
    if (!browser.save(name, replace, error)) askForName(editor, browser, name, error);
}

void askForName(VSTGUI::VST3Editor& editor, PresetBrowser& browser, const std::string& text,
                const std::string& title)
{
    VSTGUI::VST3Editor* in = &editor;
    PresetBrowser* saver = &browser;
    editor.askForText(title.c_str(), text.c_str(),
                      [in, saver](bool accepted, const std::string& typed) {
                          if (!accepted) return;
                          const std::string name = PresetLibrary::tidyName(typed);
                          const std::string problem = PresetLibrary::nameProblem(name);
                          if (!problem.empty())
                          {
                              askForName(*in, *saver, typed, problem);
                              return;
                          }
                          if (!saver->library().userPresetExists(name))
                          {
                              write(*in, *saver, name, false);
                              return;
                          }
                          in->askYesNo(("Replace the preset \"" + name + "\"?").c_str(),
                                       [in, saver, name](bool yes) {
                                           if (yes)
                                               write(*in, *saver, name, true);
                                           else
                                               askForName(*in, *saver, name, kAskForName);
                                       },
                                       "Replace", "Cancel");
                      });
}

} // namespace

void askToSavePreset(VSTGUI::VST3Editor& editor, PresetBrowser& browser)
{
    askForName(editor, browser, browser.currentName(), kAskForName);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
