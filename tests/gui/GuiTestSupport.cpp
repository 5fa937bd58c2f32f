// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiTestSupport.h"

#include "views/CViewContainer.h"

#include "public.sdk/source/vst/vstparameters.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace GuiTest {

#ifdef _WIN32
const Steinberg::FIDString kNativeWindowType = Steinberg::kPlatformTypeHWND;
const Steinberg::FIDString kForeignWindowType = Steinberg::kPlatformTypeX11EmbedWindowID;
#else
const Steinberg::FIDString kNativeWindowType = Steinberg::kPlatformTypeX11EmbedWindowID;
const Steinberg::FIDString kForeignWindowType = Steinberg::kPlatformTypeHWND;
#endif

namespace {

void appendBigEndian(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

/** A PNG chunk: length, type, data and the CRC of type and data. */
void appendChunk(std::vector<unsigned char>& png, const char* type,
                 const std::vector<unsigned char>& data)
{
    appendBigEndian(png, uint32_t(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    appendBigEndian(png, uint32_t(crc32(0, png.data() + start, uInt(png.size() - start))));
}

uint32_t backgroundPixel(int, int)
{
    return 0xFF203040;
}

uint32_t stripPixel(int, int y, int frameHeight)
{
    return 0xFF000000 | uint32_t((y / frameHeight) * kFrameStep) << 16;
}

uint32_t knobPixel(int x, int y)
{
    return stripPixel(x, y, 10);
}

uint32_t faderPixel(int x, int y)
{
    return stripPixel(x, y, 40);
}

uint32_t splashPixel(int, int)
{
    return 0xFF0000FF;
}

uint32_t doubleBackgroundPixel(int, int)
{
    return 0xFF405060; // tells the high-resolution variant apart
}

} // namespace

std::vector<unsigned char> makePng(int width, int height, uint32_t (*pixel)(int x, int y))
{
    // 8-bit RGBA rows, each after filter type 0, in one zlib stream: the same file on every
    // platform, for the platform's own decoder to read.
    std::vector<unsigned char> rows;
    for (int y = 0; y < height; ++y)
    {
        rows.push_back(0);
        for (int x = 0; x < width; ++x)
        {
            const uint32_t argb = pixel(x, y);
            for (int shift : {16, 8, 0, 24})
                rows.push_back(static_cast<unsigned char>(argb >> shift));
        }
    }
    std::vector<unsigned char> compressed(compressBound(uLong(rows.size())));
    uLongf size = uLongf(compressed.size());
    if (compress(compressed.data(), &size, rows.data(), uLong(rows.size())) != Z_OK) return {};
    compressed.resize(size);

    std::vector<unsigned char> header;
    appendBigEndian(header, uint32_t(width));
    appendBigEndian(header, uint32_t(height));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compressed);
    appendChunk(png, "IEND", {});
    return png;
}

std::string testDescription()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<vstgui-ui-description version="1">
  <fonts/>
  <colors><color name="panel" rgba="#203040ff"/></colors>
  <template name="Editor" class="CViewContainer" origin="0, 0" size="200, 150" bitmap="bg"
            background-color="~ GreyCColor" background-color-draw-style="filled and stroked"
            transparent="false" mouse-enabled="true">
    <view class="CViewContainer" origin="0, 0" size="100, 60" transparent="true"
          background-color="~ BlackCColor" mouse-enabled="true">
      <view class="CAnimKnob" origin="10, 10" size="10, 10" bitmap="knob" control-tag="Root::Knob"
            height-of-one-image="10" sub-pixmaps="11" angle-start="135" angle-range="270"
            default-value="0.5" wheel-inc-value="0.1" min-value="0" max-value="1"
            circle-drawing="false" zoom-factor="1.5" transparent="false" mouse-enabled="true"/>
      <view class="CTextEdit" origin="30, 10" size="50, 20" control-tag="Root::Knob"
            font="~ SystemFont" font-color="~ GreenCColor" back-color="~ BlackCColor"
            frame-color="~ BlackCColor" text-alignment="center" transparent="false"
            title="0.0000" value-precision="2"/>
      <view class="CFancyThing" origin="0, 0" size="100, 60"/>
    </view>
    <view class="CAnimKnob" origin="110, 10" size="6, 40" bitmap="fader" control-tag="Root::Fader"
          height-of-one-image="40" sub-pixmaps="11" default-value="0.5" wheel-inc-value="0.1"/>
    <view class="COptionMenu" origin="130, 10" size="40, 16" control-tag="Root::Mode"
          font="~ SystemFont" font-color="~ GreenCColor" back-color="~ BlueCColor"
          min-value="0" max-value="5" default-value="0"/>
    <view class="COptionMenu" origin="130, 130" size="40, 16" control-tag="Root::Mode"
          font="~ SystemFont" back-color="panel"/>
    <view class="CAnimationSplashScreen" origin="150, 60" size="40, 20" splash-bitmap="splash"
          splash-origin="20, 70" splash-size="40, 30" animation-index="0" animation-time="100"/>
    <view class="CAnimKnob" origin="60, 40" size="10, 10" bitmap="knob" control-tag="Root::Hidden"
          height-of-one-image="10"/>
  </template>
  <template name="Nested" class="CViewContainer" origin="0, 0" size="50, 50">
    <view class="CViewContainer" origin="0, 0" size="50, 30" sub-controller="TestSub">
      <view class="CAnimKnob" origin="0, 0" size="10, 10" bitmap="knob" control-tag="Root::Knob"
            height-of-one-image="10"/>
    </view>
    <view class="CView" custom-view-name="Custom" origin="20, 35" size="5, 5"/>
    <view class="CViewContainer" origin="0, 40" size="10, 10" sub-controller="Unknown"/>
  </template>
  <template name="Empty" class="CViewContainer" origin="0, 0" size="64, 32"/>
  <template name="Offset" class="CViewContainer" origin="0, 0" size="32, 32"
            background-color="~ BlackCColor" transparent="false">
    <view class="CAnimKnob" origin="11, 11" size="10, 10" bitmap="knob" control-tag="Root::Knob"
          height-of-one-image="10"/>
  </template>
  <custom><attributes SelectedTemplate="Editor"/></custom>
  <control-tags>
    <control-tag name="Root::Knob" tag="1"/>
    <control-tag name="Root::Fader" tag="2"/>
    <control-tag name="Root::Mode" tag="3"/>
    <control-tag name="Root::Hidden" tag="7"/>
  </control-tags>
  <bitmaps>
    <bitmap name="bg" path="Test_background.png"/>
    <bitmap name="knob" path="Test_knob.png"/>
    <bitmap name="fader" path="Test_fader.png"/>
    <bitmap name="splash" path="Test_splash.png"/>
  </bitmaps>
</vstgui-ui-description>
)";
}

TestResources::TestResources(bool withDoubleResolution)
{
    std::string xml = testDescription();
    set("Test.uidesc", std::vector<unsigned char>(xml.begin(), xml.end()));
    set("Test_background.png", makePng(200, 150, backgroundPixel));
    set("Test_knob.png", makePng(10, 10 * kKnobFrames, knobPixel));
    set("Test_fader.png", makePng(6, 40 * kKnobFrames, faderPixel));
    set("Test_splash.png", makePng(40, 30, splashPixel));
    if (withDoubleResolution)
        set("Test_background#2x.png", makePng(400, 300, doubleBackgroundPixel));
}

void TestResources::set(const std::string& name, std::vector<unsigned char> data)
{
    remove(name);
    files.emplace_back(name, std::move(data));
    resourceTable.reset();
}

void TestResources::remove(const std::string& name)
{
    for (auto it = files.begin(); it != files.end(); ++it)
        if (it->first == name)
        {
            files.erase(it);
            break;
        }
    resourceTable.reset();
}

const VSTGUI::ResourceTable& TestResources::table()
{
    if (!resourceTable)
    {
        entries.clear();
        for (const auto& file : files)
            entries.push_back({file.first.c_str(), file.second.data(), file.second.size()});
        entries.push_back({nullptr, nullptr, 0});
        resourceTable = std::make_unique<VSTGUI::ResourceTable>(entries.data());
    }
    return *resourceTable;
}

tresult PLUGIN_API RecordingHandler::beginEdit(ParamID id)
{
    edits.push_back({'b', id, 0});
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::performEdit(ParamID id, ParamValue value)
{
    edits.push_back({'p', id, value});
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::endEdit(ParamID id)
{
    edits.push_back({'e', id, 0});
    if (afterEnd) afterEnd();
    return kResultOk;
}

bool RecordingHandler::wellBracketed() const
{
    int state = 0; // 0 outside, 1 after begin, 2 after a perform
    for (const Edit& edit : edits)
    {
        if (edit.kind == 'b' && state != 0) return false;
        if (edit.kind == 'p' && state == 0) return false;
        if (edit.kind == 'e' && state != 2) return false;
        state = edit.kind == 'b' ? 1 : edit.kind == 'p' ? 2 : 0;
    }
    return state == 0;
}

int RecordingHandler::count(char kind) const
{
    int n = 0;
    for (const Edit& edit : edits)
        n += edit.kind == kind;
    return n;
}

tresult PLUGIN_API TestController::initialize(FUnknown* context)
{
    tresult result = EditController::initialize(context);
    if (result != kResultOk) return result;
    parameters.addParameter(STR16("Knob"), nullptr, 0, 0.25, ParameterInfo::kCanAutomate, kKnobId);
    parameters.addParameter(STR16("Fader"), nullptr, 0, 0.5, ParameterInfo::kCanAutomate, kFaderId);
    auto* mode = new StringListParameter(STR16("Mode"), kModeId);
    for (const TChar* entry : {STR16("Alpha"), STR16("Beta"), STR16("Gamma"), STR16("Delta")})
        mode->appendString(entry);
    parameters.addParameter(mode);
    return kResultOk;
}

tresult PLUGIN_API TestController::getParamValueByString(ParamID id, TChar* string,
                                                         ParamValue& value)
{
    // Numbers only where a number is asked for: the SDK's Parameter reads text with swscanf on
    // Windows and takes "abc" for 0 (sscanf on Linux refuses it).
    if (id != kModeId && string)
    {
        std::string ascii;
        for (const TChar* c = string; *c && *c < 0x80; ++c)
            ascii.push_back(static_cast<char>(*c));
        char* end = nullptr;
        std::strtod(ascii.c_str(), &end);
        if (end == ascii.c_str()) return kResultFalse;
    }
    tresult result = EditController::getParamValueByString(id, string, value);
    if (result == kResultOk && (value < 0 || value > 1)) return kResultFalse;
    return result;
}

namespace {

class TestSubController : public VSTGUI::IController
{
public:
    explicit TestSubController(TestController& owner) : owner(owner) {}
    ~TestSubController() override { ++owner.subControllersDeleted; }
    void valueChanged(VSTGUI::CControl*) override { ++owner.subValueChanges; }

private:
    TestController& owner;
};

} // namespace

VSTGUI::IController* TestController::createSubController(VSTGUI::UTF8StringPtr name,
                                                         const VSTGUI::IUIDescription*,
                                                         VSTGUI::VST3Editor*)
{
    return std::string(name) == "TestSub" ? new TestSubController(*this) : nullptr;
}

VSTGUI::CView* TestController::createCustomView(VSTGUI::UTF8StringPtr name,
                                                const VSTGUI::UIAttributes&,
                                                const VSTGUI::IUIDescription*, VSTGUI::VST3Editor*)
{
    return std::string(name) == "Custom" ? new VSTGUI::CView(VSTGUI::CRect()) : nullptr;
}

EditorRig::EditorRig(const char* templateName, TestResources* resources)
{
    controller = new TestController;
    controller->initialize(nullptr);
    handler = new RecordingHandler;
    controller->setComponentHandler(handler);
    if (!resources) ownResources = std::make_unique<TestResources>();
    TestResources& files = resources ? *resources : *ownResources;
    editor = new VSTGUI::VST3Editor(controller, templateName, "test.UIDESC", files.table());
}

EditorRig::~EditorRig()
{
    editor->release();
    controller->terminate();
    controller->release();
    handler->release();
}

void EditorRig::click(double x, double y, int32_t buttons)
{
    VSTGUI::CPoint where(x, y);
    frame().onMouseDown(where, buttons);
    frame().onMouseUp(where, buttons);
}

void EditorRig::drag(double x0, double y0, double x1, double y1, int32_t buttons)
{
    VSTGUI::CPoint start(x0, y0);
    VSTGUI::CPoint end(x1, y1);
    frame().onMouseDown(start, buttons);
    VSTGUI::CPoint middle((x0 + x1) / 2, (y0 + y1) / 2);
    frame().onMouseMoved(middle, buttons);
    frame().onMouseMoved(end, buttons);
    frame().onMouseUp(end, buttons);
}

bool EditorRig::key(int32_t character, unsigned char virt, unsigned char modifier)
{
    VSTGUI::VstKeyCode code;
    code.character = character;
    code.virt = virt;
    code.modifier = modifier;
    return frame().onKeyDown(code) == 1;
}

std::optional<bool> EditorRig::keyStep(int step)
{
    if (step < 0 || step >= kFirstAction) return std::nullopt;
    return key(0, static_cast<unsigned char>(step));
}

void collect(VSTGUI::CView* view, std::vector<VSTGUI::CView*>& out)
{
    out.push_back(view);
    if (auto* container = dynamic_cast<VSTGUI::CViewContainer*>(view))
        for (std::size_t i = 0; i < container->getNbViews(); ++i)
            collect(container->getView(i), out);
}

} // namespace GuiTest
