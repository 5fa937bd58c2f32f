// SPDX-License-Identifier: GPL-3.0-or-later
// Loading descriptions: the view tree of a template, bitmaps at both resolutions, and the empty
// editor that every kind of damaged input gives.
#include "GuiTestSupport.h"

#include "base/CBitmap.h"
#include "base/IPlatformBitmap.h"
#include "views/CAnimKnob.h"
#include "views/CAnimationSplashScreen.h"
#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include <gtest/gtest.h>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

uint32_t rgb(uint32_t pixel)
{
    return pixel & 0xFFFFFF;
}

/** True for the editor that damaged input gives: no views at all. */
bool isEmpty(const VST3Editor& editor)
{
    return editor.getFrame()->getNbViews() == 0;
}

} // namespace

TEST(EditorDescription, BuildsTheTemplatesViewTree)
{
    EditorRig rig;
    EXPECT_EQ(rig.editor->getEditorSize(), CPoint(200, 150));
    ViewRect size;
    ASSERT_EQ(rig.editor->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 200);
    EXPECT_EQ(size.getHeight(), 150);

    // The unknown class is left out; everything else is there in document order.
    std::vector<CView*> views;
    collect(rig.editor->getFrame(), views);
    ASSERT_EQ(views.size(), 10u);
    auto* knob = rig.find<CAnimKnob>();
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->getViewSize(), CRect(10, 10, 20, 20));
    EXPECT_EQ(knob->localToFrame(knob->getViewSize()), CRect(10, 10, 20, 20));
    EXPECT_EQ(knob->getTag(), 1);
    EXPECT_EQ(knob->getNumSubPixmaps(), kKnobFrames);
    EXPECT_FLOAT_EQ(knob->getDefaultValue(), 0.25f) << "the parameter's default wins";
    EXPECT_FALSE(knob->isFader());
    EXPECT_TRUE(rig.find<CAnimKnob>(1)->isFader());
    EXPECT_EQ(rig.find<CAnimKnob>(2)->getTag(), kHiddenTag);

    auto* text = rig.find<CTextEdit>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->getFontColor(), kGreenCColor);
    EXPECT_EQ(text->getHoriAlign(), kCenterText);
    EXPECT_EQ(rig.find<COptionMenu>(1)->getBackColor(), (CColor{0x20, 0x30, 0x40, 0xFF}));

    auto* splash = rig.find<CAnimationSplashScreen>();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->getSplashRect(), CRect(20, 70, 60, 100));
    EXPECT_EQ(splash->getAnimationTime(), 100u);

    // Tags without a parameter bind to nothing.
    EXPECT_NE(rig.editor->getBinding(kKnobId), nullptr);
    EXPECT_EQ(rig.editor->getBinding(kHiddenTag), nullptr);
}

TEST(EditorDescription, KnobsShowTheFrameOfTheirValue)
{
    EditorRig rig;
    struct Case
    {
        double value;
        int frame;
    };
    for (Case c : {Case{0.0, 0}, Case{0.5, 5}, Case{0.59, 5}, Case{1.0, 10}})
    {
        rig.controller->setParamNormalized(kKnobId, c.value);
        rig.controller->setParamNormalized(kFaderId, c.value);
        EXPECT_EQ(rig.find<CAnimKnob>()->getFrameIndex(), c.frame) << c.value;
        for (double scale : {1.0, 2.0})
        {
            OffscreenImage image = renderToImage(rig.frame(), scale);
            ASSERT_EQ(image.width, int(200 * scale));
            uint32_t expected = uint32_t(c.frame * kFrameStep) << 16;
            EXPECT_EQ(rgb(image.getPixel(int(15 * scale), int(15 * scale))), expected)
                << "knob at " << c.value << " scale " << scale;
            EXPECT_EQ(rgb(image.getPixel(int(113 * scale), int(30 * scale))), expected)
                << "fader at " << c.value << " scale " << scale;
        }
    }
}

TEST(EditorDescription, HighResolutionBitmapsAreUsedAboveScaleOne)
{
    TestResources plain;
    TestResources doubled(true);
    EditorRig normal("Editor", &plain);
    EditorRig sharp("Editor", &doubled);
    // A spot of bare background, away from every control.
    EXPECT_EQ(rgb(renderToImage(normal.frame(), 2).getPixel(180, 250)), 0x203040u);
    EXPECT_EQ(rgb(renderToImage(sharp.frame(), 2).getPixel(180, 250)), 0x405060u);
    EXPECT_EQ(rgb(renderToImage(sharp.frame(), 1).getPixel(90, 125)), 0x203040u);
}

TEST(EditorDescription, HighResolutionVariantIsDecodedOnceAndOnlyAboveScaleOne)
{
    auto pixel = [](int, int) -> uint32_t { return 0xFF203040u; };
    const std::vector<unsigned char> small = makePng(2, 2, pixel);
    const std::vector<unsigned char> large = makePng(4, 4, pixel);
    auto normal = createPlatformBitmapFromPNG(small.data(), small.size());
    ASSERT_NE(normal, nullptr);
    struct Case
    {
        const char* name;
        const std::vector<unsigned char>* variant;
        double bitmapScaleAtTwo;
    };
    for (const Case& c : {Case{"twice the size", &large, 2.0}, Case{"the same size", &small, 1.0}})
    {
        int loads = 0;
        CBitmap bitmap(normal, [&] {
            ++loads;
            return createPlatformBitmapFromPNG(c.variant->data(), c.variant->size());
        });
        double bitmapScale = 0;
        EXPECT_EQ(bitmap.getPlatformBitmap(1.0, bitmapScale), normal.get()) << c.name;
        EXPECT_EQ(loads, 0) << c.name << ": not decoded at scale 1";
        for (int draw = 0; draw < 2; ++draw)
            bitmap.getPlatformBitmap(2.0, bitmapScale);
        EXPECT_EQ(bitmapScale, c.bitmapScaleAtTwo) << c.name;
        EXPECT_EQ(loads, 1) << c.name << ": decoded once";
    }
}

TEST(EditorDescription, RendersToAPngFile)
{
    EditorRig rig;
    std::string path = ::testing::TempDir() + "editor-render.png";
    ASSERT_TRUE(rig.editor->renderToPNG(path.c_str(), 2.0));
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<unsigned char> bytes(8);
    EXPECT_EQ(std::fread(bytes.data(), 1, 8, file), 8u);
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_EQ(bytes[1], 'P');
    EXPECT_FALSE(rig.editor->renderToPNG("/nonexistent-folder/x.png", 1.0));
}

TEST(EditorDescription, UnknownTemplatesAndMissingDocumentsGiveAnEmptyEditor)
{
    struct Case
    {
        const char* templateName;
        const char* removedFile;
        CPoint size;
    };
    const Case cases[] = {
        {"NoSuchTemplate", nullptr, CPoint(0, 0)},
        {nullptr, nullptr, CPoint(0, 0)},
        {"Editor", "Test.uidesc", CPoint(0, 0)},
        {"Editor", "Test_knob.png", CPoint(200, 150)},
        {"Editor", "Test_splash.png", CPoint(200, 150)},
        {"Empty", nullptr, CPoint(64, 32)},
    };
    for (const Case& c : cases)
    {
        TestResources files;
        if (c.removedFile) files.remove(c.removedFile);
        EditorRig rig(c.templateName, &files);
        EXPECT_EQ(rig.editor->getEditorSize(), c.size) << (c.templateName ? c.templateName : "");
        if (std::string(c.templateName ? c.templateName : "") != "Empty")
        {
            EXPECT_TRUE(isEmpty(*rig.editor));
        }
        EXPECT_EQ(renderToImage(rig.frame()).width, int(c.size.x));
    }
}

TEST(EditorDescription, DamagedBitmapsGiveAnEmptyEditor)
{
    TestResources source;
    const EmbeddedResource* knob = source.table().find("test_KNOB.png");
    ASSERT_NE(knob, nullptr) << "lookup ignores case";
    std::vector<unsigned char> png(knob->data, knob->data + knob->size);

    std::vector<std::vector<unsigned char>> damaged;
    damaged.emplace_back();                                                // empty file
    damaged.emplace_back(png.begin(), png.begin() + long(png.size() / 2)); // cut short
    damaged.emplace_back(png);
    damaged.back()[png.size() / 2] ^= 0xFF; // flipped byte in the data
    damaged.emplace_back(png);
    damaged.back()[0] = 'X';         // not a PNG signature
    damaged.emplace_back(100, 0xAB); // noise
    for (std::size_t i = 0; i < damaged.size(); ++i)
    {
        TestResources files;
        files.set("Test_knob.png", damaged[i]);
        EditorRig rig("Editor", &files);
        EXPECT_TRUE(isEmpty(*rig.editor)) << "case " << i;
        EXPECT_EQ(rig.editor->getEditorSize(), CPoint(200, 150));
    }
}

TEST(EditorDescription, MalformedDocumentsGiveAnEmptyEditor)
{
    const std::string valid = testDescription();
    std::vector<std::string> documents = {
        "",
        "not xml at all",
        "<vstgui-ui-description",
        "<other-root/>",
    };
    for (const std::string& document : documents)
    {
        TestResources files;
        files.set("Test.uidesc", std::vector<unsigned char>(document.begin(), document.end()));
        EditorRig rig("Editor", &files);
        EXPECT_TRUE(isEmpty(*rig.editor)) << document;
        renderToImage(rig.frame());
    }

    // Every truncation of a valid document: empty until the root element is complete.
    const std::size_t complete = valid.rfind('>') + 1;
    TestResources files;
    for (std::size_t length = 0; length < valid.size(); ++length)
    {
        files.set("Test.uidesc",
                  std::vector<unsigned char>(valid.begin(), valid.begin() + long(length)));
        EditorRig rig("Editor", &files);
        if (length < complete)
        {
            ASSERT_TRUE(isEmpty(*rig.editor)) << "truncated at " << length;
            ASSERT_EQ(rig.editor->getEditorSize(), CPoint(0, 0));
        }
        else
        {
            ASSERT_EQ(rig.editor->getEditorSize(), CPoint(200, 150));
        }
    }
}

TEST(EditorDescription, DeeplyNestedViewsAreCutOff)
{
    std::string document = "<vstgui-ui-description><template name=\"Editor\" size=\"10, 10\">";
    for (int i = 0; i < 5000; ++i)
        document += "<view class=\"CViewContainer\" size=\"10, 10\">";
    for (int i = 0; i < 5000; ++i)
        document += "</view>";
    document += "</template></vstgui-ui-description>";
    TestResources files;
    files.set("Test.uidesc", std::vector<unsigned char>(document.begin(), document.end()));
    EditorRig rig("Editor", &files);
    std::vector<CView*> views;
    collect(rig.editor->getFrame(), views);
    EXPECT_LE(views.size(), std::size_t(UIDescription::kMaxViewDepth + 2));
    EXPECT_EQ(rig.editor->getEditorSize(), CPoint(10, 10));
}
