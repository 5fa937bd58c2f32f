// SPDX-License-Identifier: GPL-3.0-or-later
// Brask's context menu: its entries, categories and ticks, and what choosing them does in an
// editor: a preset loaded, the zoom the instance's next editor and the settings file keep, the
// about panel, and the questions of "Save preset as..." with every way a name or a folder is
// refused.
#include "BraskCids.h"
#include "BraskContextMenu.h"
#include "BraskControllerWithUI.h"
#include "ControllerWithUITest.h"
#include "FactoryPresets.h"
#include "PresetBrowser.h"
#include "ProcessorState.h"
#include "ScratchFolder.h"
#include "TestHosts.h"
#include "VstPresetFile.h"

#include "editor/VST3Editor.h"
#include "views/CAnimationSplashScreen.h"
#include "views/CConfirmPrompt.h"
#include "views/COptionMenu.h"
#include "views/CTextPrompt.h"
#include "views/CViewContainer.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

namespace fs = std::filesystem;
using VSTGUI::CMenuItem;
using VSTGUI::COptionMenu;
using VSTGUI::VST3Editor;

void writeUserPreset(const fs::path& folder, const std::string& name, double noise)
{
    Presets::ProcessorState state;
    state.values.assign(FactoryPresets::at(0)->values, FactoryPresets::at(0)->values + 24);
    state.values[kNoise] = noise;
    const std::vector<uint8_t> bytes =
        Presets::VstPresetFile::compose(kBraskProcessorUID, state.bytes(), {}, "");
    std::ofstream file(folder / (name + ".vstpreset"), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

/** "title" for an entry, "-" for a separator, a "*" after ticked ones, "›" before submenus. */
std::vector<std::string> entriesOf(const COptionMenu& menu)
{
    std::vector<std::string> entries;
    for (int32_t i = 0; i < menu.getNbEntries(); ++i)
    {
        const CMenuItem* item = menu.getItem(i);
        std::string entry = item->isSeparator() ? "-" : item->getTitle();
        if (item->getSubmenu()) entry = "› " + entry;
        if (item->isChecked()) entry += " *";
        entries.push_back(entry);
    }
    return entries;
}

/** The entry with this title (ticks and submenu marks aside); null if none. */
CMenuItem* entry(const COptionMenu& menu, const std::string& title)
{
    for (int32_t i = 0; i < menu.getNbEntries(); ++i)
        if (menu.getItem(i)->getTitle() == title) return menu.getItem(i);
    return nullptr;
}

TEST(BraskContextMenu, PresetsByCategoryThenNameWithTheLoadedOneAndTheZoomTicked)
{
    TestSupport::ScratchFolder folder{"brask-menu"};
    writeUserPreset(folder.path, "my pad", 0.2);
    writeUserPreset(folder.path, "Big Lead", 0.3);
    PresetLibrary library(folder.path);
    library.refresh();
    const int32_t squelch = library.find("Acid Squelch", "Bass");
    std::unique_ptr<COptionMenu> menu(
        createBraskContextMenu(library, squelch, 1.5, ContextMenuActions{}));

    EXPECT_EQ(entriesOf(*menu),
              (std::vector<std::string>{"› Presets", "Previous preset", "Next preset",
                                        "Save preset as...", "-", "› Zoom", "-", "About Brask"}));
    const COptionMenu& presets = *entry(*menu, "Presets")->getSubmenu();
    EXPECT_EQ(entriesOf(presets), (std::vector<std::string>{
                                      "Init", "› Bass *", "› Lead", "› Pad", "› Strings", "› Brass",
                                      "› Keys", "› Pluck", "› Glide", "› Effects", "› User"}));
    // Each category holds its presets in the bank's order.
    int32_t index = 1;
    for (int32_t i = 1; i < presets.getNbEntries() - 1; ++i)
    {
        const COptionMenu& category = *presets.getItem(i)->getSubmenu();
        for (int32_t k = 0; k < category.getNbEntries(); ++k, ++index)
        {
            EXPECT_EQ(category.getEntry(k), FactoryPresets::at(index)->name);
            EXPECT_EQ(category.getItem(k)->isChecked(), index == squelch) << index;
        }
    }
    EXPECT_EQ(index, FactoryPresets::count());
    EXPECT_EQ(entriesOf(*entry(presets, "User")->getSubmenu()),
              (std::vector<std::string>{"Big Lead", "my pad"}));
    EXPECT_EQ(entriesOf(*entry(*menu, "Zoom")->getSubmenu()),
              (std::vector<std::string>{"100 %", "125 %", "150 % *", "175 %", "200 %"}));

    // Without a loaded preset nothing is ticked, and "User" shows only with user presets.
    PresetLibrary factoryOnly{fs::path{}};
    factoryOnly.refresh();
    std::unique_ptr<COptionMenu> plain(
        createBraskContextMenu(factoryOnly, -1, 1.0, ContextMenuActions{}));
    const std::vector<std::string> categories = entriesOf(*entry(*plain, "Presets")->getSubmenu());
    EXPECT_EQ(categories.back(), "› Effects");
    for (const std::string& category : categories)
        EXPECT_EQ(category.find('*'), std::string::npos) << category;
}

TEST(BraskContextMenu, EveryEntryActsThroughItsAction)
{
    PresetLibrary library{fs::path{}};
    library.refresh();
    std::vector<std::string> done;
    ContextMenuActions actions;
    actions.loadPreset = [&](int32_t preset) { done.push_back("load " + std::to_string(preset)); };
    actions.stepPreset = [&](int32_t step) { done.push_back("step " + std::to_string(step)); };
    actions.savePresetAs = [&] { done.push_back("save"); };
    actions.zoom = [&](double zoom) { done.push_back("zoom " + std::to_string(zoom)); };
    actions.about = [&] { done.push_back("about"); };
    std::unique_ptr<COptionMenu> menu(createBraskContextMenu(library, 0, 1.0, actions));

    struct Choice
    {
        std::vector<std::string> path;
        const char* does;
    };
    const Choice choices[] = {
        {{"Presets", "Init"}, "load 0"},  {{"Presets", "Bass", "Acid Squelch"}, "load 2"},
        {{"Previous preset"}, "step -1"}, {{"Next preset"}, "step 1"},
        {{"Save preset as..."}, "save"},  {{"Zoom", "175 %"}, "zoom 1.750000"},
        {{"About Brask"}, "about"},
    };
    for (const Choice& choice : choices)
    {
        const COptionMenu* in = menu.get();
        CMenuItem* item = nullptr;
        for (const std::string& title : choice.path)
        {
            item = entry(*in, title);
            ASSERT_NE(item, nullptr) << title;
            in = item->getSubmenu();
        }
        done.clear();
        ASSERT_TRUE(item->getAction());
        item->getAction()();
        EXPECT_EQ(done, std::vector<std::string>{choice.does}) << choice.path.back();
    }
}

class EditorMenuTest : public ControllerWithUITest
{
protected:
    EditorMenuTest() : ControllerWithUITest("brask-menu") {}

    /** Runs the action of the entry at the end of `path` in the editor's own menu. */
    void choose(VST3Editor& editor, const std::vector<std::string>& path)
    {
        std::unique_ptr<COptionMenu> menu(controller->createContextMenu({10, 10}, &editor));
        ASSERT_TRUE(menu);
        const COptionMenu* in = menu.get();
        CMenuItem* item = nullptr;
        for (const std::string& title : path)
        {
            ASSERT_NE(in, nullptr);
            item = entry(*in, title);
            ASSERT_NE(item, nullptr) << title;
            in = item->getSubmenu();
        }
        item->getAction()();
    }
};

TEST_F(EditorMenuTest, ZoomChosenInTheMenuIsWhereTheInstancesNextEditorOpens)
{
    struct Step
    {
        const char* zoom;
        int32 width, height;
    };
    const Step steps[] = {{"150 %", 1167, 698}, {"200 %", 1556, 930}, {"100 %", 778, 465}};
    for (const Step& step : steps)
    {
        IPtr<IPlugView> view;
        VST3Editor* editor = openEditor(view);
        ASSERT_NE(editor, nullptr);
        choose(*editor, {"Zoom", step.zoom});
        IPtr<IPlugView> next;
        ASSERT_NE(openEditor(next), nullptr);
        ViewRect size;
        ASSERT_EQ(next->getSize(&size), kResultOk);
        EXPECT_EQ(size.getWidth(), step.width) << step.zoom;
        EXPECT_EQ(size.getHeight(), step.height) << step.zoom;
    }
    // A new instance opens at 100 %.
    IPtr<BraskControllerWithUI> other = owned(new BraskControllerWithUI(userPresets()));
    ASSERT_EQ(other->initialize(host.context()), kResultOk);
    EXPECT_EQ(other->getEditorZoom(), 1.0);
    other->terminate();
}

TEST_F(EditorMenuTest, TheSettingsFileGivesNewEditorsTheirZoomAndTheMenuWritesIt)
{
    const fs::path settings = userPresets() / "config" / "brask.conf";
    const auto instance = [&] {
        IPtr<BraskControllerWithUI> made =
            owned(new BraskControllerWithUI(userPresets(), settings));
        EXPECT_EQ(made->initialize(host.context()), kResultOk);
        return made;
    };
    struct Case
    {
        const char* file;
        int32 width, height;
    };
    const Case cases[] = {{"zoom=150\n", 1167, 698},
                          {"zoom=200\n", 1556, 930},
                          {"zoom=1,5\n", 778, 465}}; // damaged: a new instance's 100 %
    fs::create_directories(settings.parent_path());
    for (const Case& c : cases)
    {
        std::ofstream(settings, std::ios::binary | std::ios::trunc) << c.file;
        IPtr<BraskControllerWithUI> fresh = instance();
        IPtr<IPlugView> view = owned(fresh->createView(ViewType::kEditor));
        ViewRect size;
        ASSERT_TRUE(view && view->getSize(&size) == kResultOk) << c.file;
        EXPECT_EQ(size.getWidth(), c.width) << c.file;
        EXPECT_EQ(size.getHeight(), c.height) << c.file;
        view = nullptr;
        fresh->terminate();
    }

    controller->terminate();
    controller = instance();
    IPtr<IPlugView> view;
    VST3Editor* editor = openEditor(view);
    ASSERT_NE(editor, nullptr);
    choose(*editor, {"Zoom", "175 %"});
    std::ifstream written(settings, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(written), {}};
    EXPECT_EQ(text, "zoom=175\n");
}

TEST_F(EditorMenuTest, PresetsAndAboutActInTheEditor)
{
    IPtr<IPlugView> view;
    VST3Editor* editor = openEditor(view);
    ASSERT_NE(editor, nullptr);
    choose(*editor, {"Presets", "Pad", "Glass Pad"});
    EXPECT_EQ(controller->presetBrowser().currentName(), "Glass Pad");
    choose(*editor, {"Next preset"});
    EXPECT_EQ(controller->presetBrowser().currentName(), "Slow Sweep");
    choose(*editor, {"Previous preset"});
    choose(*editor, {"Previous preset"});
    EXPECT_EQ(controller->presetBrowser().currentName(), "Warm Pad");

    // A preset saved beside the editor (by the host) is in the menu when it next opens.
    writeUserPreset(userPresets(), "From The Host", 0.4);
    choose(*editor, {"Presets", "User", "From The Host"});
    EXPECT_EQ(controller->getParamNormalized(kNoise), 0.4);

    auto* panel = dynamic_cast<VSTGUI::CViewContainer*>(editor->getFrame()->getView(0));
    VSTGUI::CAnimationSplashScreen* about = nullptr;
    for (size_t i = 0; panel && i < panel->getNbViews(); ++i)
        if (auto* splash = dynamic_cast<VSTGUI::CAnimationSplashScreen*>(panel->getView(i)))
            about = splash;
    ASSERT_NE(about, nullptr);
    choose(*editor, {"About Brask"});
    EXPECT_TRUE(about->isSplashOpen());
}

/** The prompt the editor shows, if it is of that kind. */
template <typename Prompt>
Prompt* openPrompt(VST3Editor& editor)
{
    VSTGUI::CFrame& frame = *editor.getFrame();
    for (size_t i = frame.getNbOverlays(); i-- > 0;)
        if (auto* prompt = dynamic_cast<Prompt*>(frame.getOverlay(i)))
            if (!prompt->isFinished()) return prompt;
    return nullptr;
}

void press(VST3Editor& editor, unsigned char virtualKey, int32_t character = 0)
{
    VSTGUI::VstKeyCode key;
    key.virt = virtualKey;
    key.character = character;
    editor.getFrame()->onKeyDown(key);
}

/** Replaces the prompt's text and presses Enter. */
void answer(VST3Editor& editor, const std::string& text)
{
    press(editor, VSTGUI::VKEY_BACK); // the initial text is selected
    for (const char c : text)
        press(editor, VSTGUI::VKEY_NONE, static_cast<unsigned char>(c));
    press(editor, VSTGUI::VKEY_RETURN);
}

TEST_F(EditorMenuTest, SavePresetAsAsksAgainWithTheReasonUntilANameCanBeWritten)
{
    IPtr<IPlugView> view;
    VST3Editor* editor = openEditor(view);
    ASSERT_NE(editor, nullptr);
    writeUserPreset(userPresets(), "Mine", 0.1);
    controller->setParamNormalized(kNoise, 0.66);

    choose(*editor, {"Save preset as..."});
    ASSERT_NE(openPrompt<VSTGUI::CTextPrompt>(*editor), nullptr);
    EXPECT_EQ(openPrompt<VSTGUI::CTextPrompt>(*editor)->getTitle(), "Save preset as:");
    struct Refusal
    {
        const char* typed;
        const char* title; // of the question asked again
    };
    const Refusal refusals[] = {
        {"", "A preset needs a name."},
        {"   ", "A preset needs a name."},
        {"Lead/Bass", "A name cannot hold / \\ : * ? \" < > | or control characters."},
        {"nul", "Windows keeps the name \"nul\" for a device."},
        {".hidden", "A name cannot start with a dot."},
    };
    for (const Refusal& refusal : refusals)
    {
        answer(*editor, refusal.typed);
        auto* again = openPrompt<VSTGUI::CTextPrompt>(*editor);
        ASSERT_NE(again, nullptr) << refusal.typed;
        EXPECT_EQ(again->getTitle(), refusal.title) << refusal.typed;
    }

    // An existing name: "No" (the first choice, Enter) keeps the file and asks for a name again.
    answer(*editor, "Mine");
    ASSERT_NE(openPrompt<VSTGUI::CConfirmPrompt>(*editor), nullptr);
    EXPECT_EQ(openPrompt<VSTGUI::CConfirmPrompt>(*editor)->getTitle(),
              "Replace the preset \"Mine\"?");
    press(*editor, VSTGUI::VKEY_RETURN);
    ASSERT_NE(openPrompt<VSTGUI::CTextPrompt>(*editor), nullptr);
    controller->presetBrowser().refresh();
    const auto& presets = controller->presetBrowser().library().presets();
    EXPECT_EQ(
        presets[static_cast<size_t>(controller->presetBrowser().library().find("Mine", "User"))]
            .values[kNoise],
        0.1);
    // "Replace" writes it.
    answer(*editor, "Mine");
    press(*editor, VSTGUI::VKEY_LEFT);
    press(*editor, VSTGUI::VKEY_RETURN);
    EXPECT_FALSE(editor->isPromptOpen());
    EXPECT_EQ(controller->presetBrowser().currentName(), "Mine");
    EXPECT_FALSE(controller->presetBrowser().isModified());

    // Escape leaves everything as it was.
    choose(*editor, {"Save preset as..."});
    press(*editor, VSTGUI::VKEY_ESCAPE);
    EXPECT_FALSE(editor->isPromptOpen());
    EXPECT_EQ(std::distance(fs::directory_iterator(userPresets()), fs::directory_iterator()), 1);
}

TEST(EditorMenu, SavePresetAsIntoAFolderThatCannotBeMadeSaysSoAndAsksAgain)
{
    TestSupport::ScratchFolder scratch{"brask-menu"};
    std::ofstream(scratch.path / "file") << "not a folder";
    EditorTest::TestHost host{false};
    IPtr<BraskControllerWithUI> controller =
        owned(new BraskControllerWithUI(scratch.path / "file" / "Brask"));
    ASSERT_EQ(controller->initialize(host.context()), kResultOk);
    {
        IPtr<IPlugView> view = owned(controller->createView(ViewType::kEditor));
        auto* editor = dynamic_cast<VST3Editor*>(view.get());
        ASSERT_NE(editor, nullptr);
        std::unique_ptr<COptionMenu> menu(controller->createContextMenu({10, 10}, editor));
        entry(*menu, "Save preset as...")->getAction()();
        answer(*editor, "Lost");
        auto* again = openPrompt<VSTGUI::CTextPrompt>(*editor);
        ASSERT_NE(again, nullptr);
        EXPECT_NE(again->getTitle().find("cannot be made"), std::string::npos) << again->getTitle();
        EXPECT_EQ(controller->presetBrowser().currentName(), "");
    }
    controller->terminate();
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
