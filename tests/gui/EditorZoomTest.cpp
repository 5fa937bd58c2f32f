// SPDX-License-Identifier: GPL-3.0-or-later
// The editor zoomed: its size in every zoom step and host scale, the sizes a host's free
// resizing snaps to, and drawing that stays sharp at 125 to 200 %.
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <tuple>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

/** The test description with its "Empty" template at the size of the instrument's panel. */
struct PanelRig
{
    PanelRig()
    {
        std::string xml = testDescription();
        const std::string small =
            R"(name="Empty" class="CViewContainer" origin="0, 0" size="64, 32")";
        xml.replace(xml.find(small), small.size(),
                    R"(name="Empty" class="CViewContainer" origin="0, 0" size="778, 465")");
        resources.set("Test.uidesc", std::vector<unsigned char>(xml.begin(), xml.end()));
        rig = std::make_unique<EditorRig>("Empty", &resources);
    }
    CPoint size() const
    {
        ViewRect rect;
        rig->editor->getSize(&rect);
        return CPoint(rect.getWidth(), rect.getHeight());
    }
    TestResources resources;
    std::unique_ptr<EditorRig> rig;
};

void setContentScale(VST3Editor& editor, float scale)
{
    IPlugViewContentScaleSupport* scaling = nullptr;
    editor.queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling));
    ASSERT_NE(scaling, nullptr);
    EXPECT_EQ(scaling->setContentScaleFactor(scale), kResultOk);
    scaling->release();
}

/** Counts the host's resize requests and agrees to them. */
class CountingFrame : public FObject, public IPlugFrame
{
public:
    tresult PLUGIN_API resizeView(IPlugView*, ViewRect*) SMTG_OVERRIDE
    {
        return ++resizes, kResultTrue;
    }
    int resizes = 0;
    OBJ_METHODS(CountingFrame, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IPlugFrame)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)
};

} // namespace

TEST(Zoom, SizeIsTheTemplateTimesZoomTimesContentScale)
{
    struct Case
    {
        double zoom;
        float contentScale;
        CPoint size;
    };
    const Case cases[] = {
        {1.0, 1, {778, 465}},     {1.25, 1, {973, 581}}, {1.5, 1, {1167, 698}},
        {1.75, 1, {1362, 814}},   {2.0, 1, {1556, 930}}, {1.5, 2, {2334, 1395}},
        {1.0, 1.5f, {1167, 698}}, {1.3, 1, {1011, 605}},
    };
    for (const Case& c : cases)
    {
        PanelRig panel;
        auto* frame = new CountingFrame;
        panel.rig->editor->setFrame(frame);
        setContentScale(*panel.rig->editor, c.contentScale);
        const int resizesBefore = frame->resizes;
        EXPECT_TRUE(panel.rig->editor->setZoomFactor(c.zoom)) << c.zoom;
        EXPECT_EQ(frame->resizes, resizesBefore) << "not open yet: no host to ask";
        EXPECT_EQ(panel.rig->editor->getZoomFactor(), c.zoom);
        EXPECT_EQ(panel.size(), c.size) << c.zoom << " x " << c.contentScale;
        EXPECT_EQ(panel.rig->editor->getEditorSize(), CPoint(778, 465)) << "views keep theirs";
        panel.rig->editor->setFrame(nullptr);
        frame->release();
    }
    PanelRig panel;
    panel.rig->editor->setZoomFactor(1.5);
    for (double refused : {0.5, 0.99, 2.01, 8.0, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()})
    {
        EXPECT_FALSE(panel.rig->editor->setZoomFactor(refused)) << refused;
        EXPECT_EQ(panel.rig->editor->getZoomFactor(), 1.5);
        EXPECT_EQ(panel.size(), CPoint(1167, 698));
    }
}

TEST(Zoom, HostResizingSnapsToZoomSteps)
{
    struct Constraint
    {
        CPoint asked, given;
    };
    const Constraint constraints[] = {
        {{778, 465}, {778, 465}},    {{900, 520}, {778, 465}},    {{1000, 600}, {973, 581}},
        {{1200, 9999}, {1167, 698}}, {{5000, 5000}, {1556, 930}}, {{10, 10}, {778, 465}},
        {{0, 0}, {778, 465}},        {{-50, 300}, {778, 465}},
    };
    PanelRig panel;
    for (const Constraint& c : constraints)
    {
        ViewRect rect(10, 20, 10 + int32(c.asked.x), 20 + int32(c.asked.y));
        EXPECT_EQ(panel.rig->editor->checkSizeConstraint(&rect), kResultTrue);
        EXPECT_EQ(CPoint(rect.getWidth(), rect.getHeight()), c.given) << c.asked.x;
        EXPECT_EQ(rect.left, 10);
        EXPECT_EQ(rect.top, 20);
    }
    EXPECT_EQ(panel.rig->editor->checkSizeConstraint(nullptr), kInvalidArgument);

    struct Given
    {
        CPoint size;
        double zoom;
    };
    const Given sizes[] = {
        {{1167, 698}, 1.5}, {{1200, 700}, 1.5}, {{1166, 698}, 1.25},
        {{500, 300}, 1.0},  {{1556, 930}, 2.0}, {{4000, 4000}, 2.0},
    };
    for (const Given& g : sizes)
    {
        ViewRect rect(0, 0, int32(g.size.x), int32(g.size.y));
        EXPECT_EQ(panel.rig->editor->onSize(&rect), kResultTrue);
        EXPECT_EQ(panel.rig->editor->getZoomFactor(), g.zoom) << g.size.x << " x " << g.size.y;
    }
}

namespace {

// The background at both resolutions: diagonal bands with hard edges, finer than a pixel of
// the normal one, which a nearest-neighbour scaling turns into stairs.
uint32_t bands(int x, int y, int period)
{
    return ((x + 2 * y) % period) < period / 2 ? 0xFF1030A0u : 0xFFE0D070u;
}
uint32_t normalBands(int x, int y)
{
    return bands(x, y, 6);
}
uint32_t doubleBands(int x, int y)
{
    return bands(x, y, 5);
}

/** The mean difference per channel of two images over `area` (their pixels). */
double meanDifference(const OffscreenImage& a, const OffscreenImage& b, const CRect& area)
{
    double sum = 0;
    int count = 0;
    for (int y = int(area.top); y < int(area.bottom); ++y)
        for (int x = int(area.left); x < int(area.right); ++x)
            for (int shift = 0; shift <= 16; shift += 8, ++count)
                sum += std::abs(int((a.getPixel(x, y) >> shift) & 0xFF) -
                                int((b.getPixel(x, y) >> shift) & 0xFF));
    return count ? sum / count : 0;
}

/** `image` shrunk by `factor`: each new pixel the area-weighted mean of the pixels it covers,
 *  or (nearest) the one pixel under its centre. */
OffscreenImage shrink(const OffscreenImage& image, double factor, bool nearest)
{
    OffscreenImage out;
    out.width = int(std::lround(image.width * factor));
    out.height = int(std::lround(image.height * factor));
    out.pixels.assign(std::size_t(out.width) * out.height, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
        {
            std::uint32_t& pixel = out.pixels[std::size_t(y) * out.width + x];
            if (nearest)
            {
                pixel = image.getPixel(int((x + 0.5) / factor), int((y + 0.5) / factor));
                continue;
            }
            const double x0 = x / factor, x1 = (x + 1) / factor;
            const double y0 = y / factor, y1 = (y + 1) / factor;
            double sums[3] = {}, total = 0;
            for (int sy = int(y0); sy < int(std::ceil(y1)); ++sy)
                for (int sx = int(x0); sx < int(std::ceil(x1)); ++sx)
                {
                    const double w = (std::min(x1, sx + 1.0) - std::max(x0, double(sx))) *
                                     (std::min(y1, sy + 1.0) - std::max(y0, double(sy)));
                    for (int c = 0; c < 3; ++c)
                        sums[c] += w * ((image.getPixel(sx, sy) >> (8 * c)) & 0xFF);
                    total += w;
                }
            pixel = 0xFF000000u;
            for (int c = 0; c < 3; ++c)
                pixel |= std::uint32_t(std::lround(sums[c] / total)) << (8 * c);
        }
    return out;
}

} // namespace

TEST(Zoom, BitmapsAreExactAtTheirOwnScaleAndFilteredBetween)
{
    TestResources resources(true);
    resources.set("Test_background.png", makePng(200, 150, normalBands));
    resources.set("Test_background#2x.png", makePng(400, 300, doubleBands));
    EditorRig rig("Editor", &resources);
    // Editor pixels 0..120 x 100..150 show the background alone.
    const CRect panelArea(0, 100, 120, 150);
    auto device = [&](double scale) {
        return CRect(panelArea.left * scale, panelArea.top * scale, panelArea.right * scale,
                     panelArea.bottom * scale);
    };
    const OffscreenImage atOne = renderToImage(rig.frame(), 1.0);
    const OffscreenImage atTwo = renderToImage(rig.frame(), 2.0);
    OffscreenImage normal, doubled;
    for (auto [image, width, height, pattern] : {std::make_tuple(&normal, 200, 150, normalBands),
                                                 std::make_tuple(&doubled, 400, 300, doubleBands)})
    {
        image->width = width;
        image->height = height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image->pixels.push_back(pattern(x, y));
    }
    EXPECT_EQ(meanDifference(atOne, normal, device(1)), 0) << "100 %: the bitmap, pixel for pixel";
    EXPECT_EQ(meanDifference(atTwo, doubled, device(2)), 0) << "200 %: the #2x bitmap exactly";

    for (double scale : {1.5, 1.25, 1.75})
    {
        const OffscreenImage zoomed = renderToImage(rig.frame(), scale);
        ASSERT_EQ(zoomed.width, int(std::lround(200 * scale)));
        // What the #2x bitmap looks like at this size: its pixels averaged by area, and what
        // nearest-neighbour scaling (the blocky way) makes of it.
        const OffscreenImage averaged = shrink(atTwo, scale / 2, false);
        const OffscreenImage blocky = shrink(atTwo, scale / 2, true);
        CRect inner = device(scale);
        inner.inset(2, 2);
        const double filtered = meanDifference(zoomed, averaged, inner);
        const double stairs = meanDifference(blocky, averaged, inner);
        std::printf("%.0f %%: %.1f from the area mean (nearest neighbour: %.1f)\n", scale * 100,
                    filtered, stairs);
        EXPECT_LT(filtered, stairs / 2) << scale;
        EXPECT_LT(filtered, 25) << scale;
    }
}

TEST(Zoom, BitmapsBetweenDevicePixelsKeepTheirPlace)
{
    // A black bitmap at 11, 11 with a white square at 15..17 (in the editor's pixels), whose
    // edges lie inside device pixels at these scales: its centre stays at 16 x scale, not
    // moved with the bitmap to whole pixels.
    TestResources resources(true);
    resources.set("Test_knob#2x.png", makePng(20, 20 * kKnobFrames, [](int x, int y) {
                      y %= 20;
                      return x >= 8 && x < 12 && y >= 8 && y < 12 ? 0xFFFFFFFFu : 0xFF000000u;
                  }));
    EditorRig rig("Offset", &resources);
    for (double scale : {1.25, 1.5, 1.75})
    {
        const OffscreenImage image = renderToImage(rig.frame(), scale);
        double sum = 0, sumX = 0, sumY = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
            {
                const double brightness = image.getPixel(x, y) & 0xFF;
                sum += brightness;
                sumX += brightness * (x + 0.5);
                sumY += brightness * (y + 0.5);
            }
        ASSERT_GT(sum, 0) << scale;
        EXPECT_NEAR(sumX / sum, 16 * scale, 0.1) << scale << ": across";
        EXPECT_NEAR(sumY / sum, 16 * scale, 0.1) << scale << ": down";
    }
}

TEST(Zoom, TextIsDrawnAtTheTargetSizeNotScaledAsPixels)
{
    EditorRig rig;
    const OffscreenImage atOne = renderToImage(rig.frame(), 1.0);
    const OffscreenImage atTwo = renderToImage(rig.frame(), 2.0);
    // The knob's read-out, "0.2500" in green at 30..80 x 10..30.
    int textPixels = 0, different = 0;
    for (int y = 20; y < 60; ++y)
        for (int x = 60; x < 160; ++x)
        {
            const std::uint32_t blownUp = atOne.getPixel(x / 2, y / 2) & 0xFFFFFF;
            const std::uint32_t drawn = atTwo.getPixel(x, y) & 0xFFFFFF;
            if (((drawn >> 8) & 0xFF) < 40 && ((blownUp >> 8) & 0xFF) < 40) continue;
            ++textPixels;
            different += std::abs(int((drawn >> 8) & 0xFF) - int((blownUp >> 8) & 0xFF)) > 40;
        }
    EXPECT_GT(textPixels, 100);
    EXPECT_GT(different, textPixels / 5) << "finer edges than the 100 % text blown up";
}
