// SPDX-License-Identifier: GPL-3.0-or-later
// Fixtures of the editor runtime tests: generated bitmaps, a small description, a controller
// with three parameters and a component handler that records every edit.
#pragma once

#include "description/EmbeddedResources.h"
#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"

#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace GuiTest {

using namespace Steinberg;
using namespace Steinberg::Vst;

enum TestParameter : ParamID
{
    kKnobId = 1,
    kFaderId = 2,
    kModeId = 3,
    kHiddenTag = 7, // a control tag without a parameter
};

/** Frames of the test strips; frame i is filled with red = i * kFrameStep. */
constexpr int kKnobFrames = 11;
constexpr int kFrameStep = 20;

/** The window type the editor embeds into on this platform, and one it does not. */
extern const Steinberg::FIDString kNativeWindowType;
extern const Steinberg::FIDString kForeignWindowType;

/** A PNG whose pixels are given by `pixel(x, y)` as 0xAARRGGBB. */
std::vector<unsigned char> makePng(int width, int height, uint32_t (*pixel)(int x, int y));

/** The description's document, and the same with changes. */
std::string testDescription();

/** A resource table over files held in memory. */
class TestResources
{
public:
    /** The description and every bitmap it names ("#2x" variants only when asked for). */
    explicit TestResources(bool withDoubleResolution = false);
    void set(const std::string& name, std::vector<unsigned char> data);
    void remove(const std::string& name);
    const VSTGUI::ResourceTable& table();

private:
    std::vector<std::pair<std::string, std::vector<unsigned char>>> files;
    std::vector<VSTGUI::EmbeddedResource> entries;
    std::unique_ptr<VSTGUI::ResourceTable> resourceTable;
};

/** One recorded call of the component handler. */
struct Edit
{
    char kind; // 'b' begin, 'p' perform, 'e' end
    ParamID id;
    ParamValue value;
};

class RecordingHandler : public FObject, public IComponentHandler
{
public:
    tresult PLUGIN_API beginEdit(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) SMTG_OVERRIDE;
    tresult PLUGIN_API endEdit(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API restartComponent(int32) SMTG_OVERRIDE { return kResultOk; }

    /** True when the edits form brackets: begin, one or more performs, end, per gesture. */
    bool wellBracketed() const;
    int count(char kind) const;
    std::vector<Edit> edits;
    /** Called after each endEdit, as a host may react to an edit. */
    std::function<void()> afterEnd;

    OBJ_METHODS(RecordingHandler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IComponentHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)
};

/** A controller with a knob parameter (default 0.25), a fader parameter and a four-entry list
 *  "Mode". Text entry refuses values outside 0..1. */
class TestController : public EditController, public VSTGUI::VST3EditorDelegate
{
public:
    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string,
                                             ParamValue& value) SMTG_OVERRIDE;
    int opened = 0;
    int closed = 0;
    /** Sub-controller "TestSub": its value changes, and how many were deleted. */
    int subValueChanges = 0;
    int subControllersDeleted = 0;
    VSTGUI::IController* createSubController(VSTGUI::UTF8StringPtr name,
                                             const VSTGUI::IUIDescription* description,
                                             VSTGUI::VST3Editor* editor) override;
    /** Custom view "Custom": a plain view. */
    VSTGUI::CView* createCustomView(VSTGUI::UTF8StringPtr name,
                                    const VSTGUI::UIAttributes& attributes,
                                    const VSTGUI::IUIDescription* description,
                                    VSTGUI::VST3Editor* editor) override;
    void didOpen(VSTGUI::VST3Editor*) override { ++opened; }
    void willClose(VSTGUI::VST3Editor*) override { ++closed; }

    /** The delegate's hooks where a test sets them, the editor's defaults otherwise. */
    std::function<VSTGUI::COptionMenu*(const VSTGUI::CPoint& where)> contextMenu;
    std::function<bool(ParamID id, double normalized, std::string& text)> gestureText;
    std::function<bool(ParamID id, const std::string& text, double& normalized)> parseText;
    VSTGUI::COptionMenu* createContextMenu(const VSTGUI::CPoint& where,
                                           VSTGUI::VST3Editor*) override
    {
        return contextMenu ? contextMenu(where) : nullptr;
    }
    bool getGestureText(ParamID id, double normalized, std::string& text) override
    {
        return gestureText && gestureText(id, normalized, text);
    }
    bool parseGestureText(ParamID id, const std::string& text, double& normalized) override
    {
        return parseText && parseText(id, text, normalized);
    }
};

/** Steps of a walk through a menu or a question: the keys, and from kFirstAction on actions of
 *  the test's own. */
enum Step : int
{
    Down = VSTGUI::VKEY_DOWN,
    Up = VSTGUI::VKEY_UP,
    Right = VSTGUI::VKEY_RIGHT,
    Left = VSTGUI::VKEY_LEFT,
    Enter = VSTGUI::VKEY_RETURN,
    Escape = VSTGUI::VKEY_ESCAPE,
    Space = VSTGUI::VKEY_SPACE,
    Tab = VSTGUI::VKEY_TAB,
    kFirstAction = 0x100,
};

/** A controller, its handler and an editor on the test description. */
struct EditorRig
{
    explicit EditorRig(const char* templateName = "Editor", TestResources* resources = nullptr);
    ~EditorRig();

    VSTGUI::CFrame& frame() const { return *editor->getFrame(); }
    /** The first view of class T in document order. */
    template <typename T>
    T* find(int index = 0) const;
    void click(double x, double y, int32_t buttons = VSTGUI::kLButton);
    void drag(double x0, double y0, double x1, double y1, int32_t buttons = VSTGUI::kLButton);
    bool key(int32_t character, unsigned char virt = 0, unsigned char modifier = 0);
    /** Presses the key a step names and says whether it was taken; nothing for an action. */
    std::optional<bool> keyStep(int step);

    std::unique_ptr<TestResources> ownResources; // when no resources were given
    TestController* controller;
    RecordingHandler* handler;
    VSTGUI::VST3Editor* editor;
};

void collect(VSTGUI::CView* view, std::vector<VSTGUI::CView*>& out);

template <typename T>
T* EditorRig::find(int index) const
{
    std::vector<VSTGUI::CView*> views;
    collect(editor->getFrame(), views);
    for (VSTGUI::CView* view : views)
        if (auto* match = dynamic_cast<T*>(view))
            if (index-- == 0) return match;
    return nullptr;
}

} // namespace GuiTest
