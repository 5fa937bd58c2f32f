// SPDX-License-Identifier: GPL-3.0-or-later
// The list parameter and the base parameter's text reading, tried with the "Glide" list.
#include "BaseParameter.h"
#include "IndexedParameter.h"
#include "TestSupport.h"

#include "base/source/updatehandler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using BraskTest::ascii;
using BraskTest::u16;

namespace {

const char* const kModes[] = {"Poly", "Poly-Legato", "Poly-Glide",
                              "Mono", "Mono-Legato", "Mono-Glide"};

class GlideList : public ::testing::Test
{
protected:
    GlideList()
    {
        glide =
            owned(new IndexedParameter(STR16("Glide"), nullptr, 5, 0.0,
                                       ParameterInfo::kCanAutomate | ParameterInfo::kIsList, 3, 0));
        for (int32 i = 0; i < 6; ++i)
            glide->setString(i, u16(kModes[i]).c_str());
    }

    std::string shown(ParamValue value)
    {
        String128 text{};
        glide->toString(value, text);
        return ascii(text);
    }

    /** The value read, or NaN when the text is refused. */
    ParamValue read(const std::u16string& text)
    {
        ParamValue value = -1.0;
        return glide->fromString(text.c_str(), value) ? value
                                                      : std::numeric_limits<double>::quiet_NaN();
    }

    IPtr<IndexedParameter> glide;
};

TEST_F(GlideList, ShowsTheEntryOfTheTruncatedPlainValue)
{
    EXPECT_EQ(shown(0.6), "Mono");
    EXPECT_EQ(shown(1.0), "Mono-Glide");
    EXPECT_EQ(shown(0.9), "Mono-Glide");
    EXPECT_DOUBLE_EQ(glide->toPlain(0.3), 1.8);
    EXPECT_EQ(shown(0.3), "Poly-Legato");
    // Six equal bands over 0..1.
    EXPECT_EQ(shown(0.0), "Poly");
    EXPECT_EQ(shown(0.16), "Poly");
    EXPECT_EQ(shown(0.17), "Poly-Legato");
    EXPECT_EQ(shown(0.83), "Mono-Legato");
    EXPECT_EQ(shown(0.84), "Mono-Glide");
}

TEST_F(GlideList, ShowsAnEndEntryForValuesOutsideTheRange)
{
    EXPECT_EQ(shown(1.7), "Mono-Glide");
    EXPECT_EQ(shown(1e300), "Mono-Glide");
    EXPECT_EQ(shown(-0.3), "Poly");
    EXPECT_EQ(shown(-1e300), "Poly");
    EXPECT_EQ(shown(std::numeric_limits<double>::quiet_NaN()), "Poly");
}

TEST_F(GlideList, EveryProgramIndexShowsItsOwnEntry)
{
    // The program list of a preset parameter relies on these two conversions.
    EXPECT_DOUBLE_EQ(glide->toPlain(1.0), 5.0);
    for (int32 i = 0; i <= 5; ++i)
    {
        String128 text{};
        glide->toString(glide->toNormalized(i), text);
        EXPECT_EQ(ascii(text), kModes[i]) << "index " << i;
    }
}

TEST_F(GlideList, ReadsEntryTextsAndWholeNumbers)
{
    EXPECT_DOUBLE_EQ(read(u"Mono"), 0.6);
    EXPECT_DOUBLE_EQ(read(u"Poly"), 0.0);
    EXPECT_DOUBLE_EQ(read(u"Mono-Glide"), 1.0);
    EXPECT_DOUBLE_EQ(read(u"3"), 0.6);
    EXPECT_DOUBLE_EQ(read(u"3.7"), 0.6);
    EXPECT_DOUBLE_EQ(read(u"5"), 1.0);
    EXPECT_DOUBLE_EQ(read(u"0"), 0.0);
    EXPECT_DOUBLE_EQ(read(u" \t+2 steps"), 0.4);
    EXPECT_DOUBLE_EQ(read(u"-0"), 0.0);
}

TEST_F(GlideList, RefusesOtherTexts)
{
    for (const char16_t* text :
         {u"6", u"-1", u"poly", u"Mono ", u"", u"Mono\u00e9", u"steps", u"+", u"- 1",
          u"99999999999999999999999999", u"-99999999999999999999999999"})
        EXPECT_TRUE(std::isnan(read(text))) << ascii(text);
    ParamValue untouched = 0.25;
    EXPECT_FALSE(glide->fromString(nullptr, untouched));
    EXPECT_EQ(untouched, 0.25);
}

class ChangeRecorder : public FObject
{
public:
    void PLUGIN_API update(FUnknown*, int32) SMTG_OVERRIDE { ++updates; }
    int updates = 0;
};

TEST_F(GlideList, SetNormalizedClampsAndReportsChanges)
{
    UpdateHandler::instance();
    ChangeRecorder recorder;
    glide->addDependent(&recorder);

    EXPECT_TRUE(glide->setNormalized(0.6));
    EXPECT_EQ(recorder.updates, 1);
    EXPECT_FALSE(glide->setNormalized(0.6));
    EXPECT_EQ(recorder.updates, 1);
    EXPECT_TRUE(glide->setNormalized(1.7));
    EXPECT_EQ(glide->getNormalized(), 1.0);
    EXPECT_TRUE(glide->setNormalized(-4.0));
    EXPECT_EQ(glide->getNormalized(), 0.0);

    glide->removeDependent(&recorder);
}

TEST(IndexedParameter, StartsAtZeroAndKeepsWhatItWasGiven)
{
    const std::u16string longTitle(200, u'x');
    IPtr<IndexedParameter> list =
        owned(new IndexedParameter(longTitle.c_str(), STR16("mode"), 2, 0.5, 0, 77, 4));
    EXPECT_EQ(list->getNormalized(), 0.0); // not the default
    const ParameterInfo& info = list->getInfo();
    EXPECT_EQ(std::u16string(info.title), std::u16string(127, u'x'));
    EXPECT_EQ(ascii(info.units), "mode");
    EXPECT_EQ(ascii(info.shortTitle), "");
    EXPECT_EQ(info.stepCount, 2);
    EXPECT_EQ(info.defaultNormalizedValue, 0.5);
    EXPECT_EQ(info.flags, 0);
    EXPECT_EQ(info.id, 77u);
    EXPECT_EQ(info.unitId, 4);
    EXPECT_EQ(list->getPrecision(), 4);

    // Entries start empty; indexes outside the list are ignored; long entries are cut.
    list->setString(-1, STR16("below"));
    list->setString(3, STR16("above"));
    list->setString(2, longTitle.c_str());
    String128 text{};
    list->toString(0.0, text);
    EXPECT_EQ(ascii(text), "");
    list->toString(1.0, text);
    EXPECT_EQ(std::u16string(text), std::u16string(127, u'x'));
}

TEST(BaseParameter, ReadsANumberClampedToTheNormalizedRange)
{
    IPtr<BaseParameter> parameter =
        owned(new BaseParameter(STR16("Level"), nullptr, 0, 0.5, 0, 1, 0));
    EXPECT_EQ(parameter->getNormalized(), 0.0);

    auto read = [&](const char16_t* text) {
        ParamValue value = -1.0;
        return parameter->fromString(text, value) ? value
                                                  : std::numeric_limits<double>::quiet_NaN();
    };
    EXPECT_DOUBLE_EQ(read(u"0.25"), 0.25);
    EXPECT_DOUBLE_EQ(read(u"  0.3 dB"), 0.3);
    EXPECT_DOUBLE_EQ(read(u"1.5"), 1.0);
    EXPECT_DOUBLE_EQ(read(u"-0.1"), 0.0);
    EXPECT_DOUBLE_EQ(read(u"2e-1"), 0.2);
    for (const char16_t* text : {u"", u"level", u"inf", u"-infinity", u"nan", u"1e999", u"\u00bd"})
        EXPECT_TRUE(std::isnan(read(text))) << ascii(text);
}

} // namespace
