// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument's controller after initialize: its 30 parameters, what typed text may set, the
// MIDI controller table, and the unit and program-list answers.
#include "BraskController.h"
#include "ComponentHandler.h"
#include "IndexedParameter.h"
#include "TestSupport.h"

#include "pluginterfaces/base/fstrdefs.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using BraskTest::ascii;

namespace {

constexpr ParamID kModw = 0x6D6F6477, kPitb = 0x70697462, kBrth = 0x62727468, kCt03 = 0x63743033,
                  kExpr = 0x65787072, kAftt = 0x61667474, kBpas = 0x62706173, kPrst = 0x70727374;

class BraskControllerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(controller->initialize(&host), kResultOk); }
    void TearDown() override { controller->terminate(); }

    std::string shown(ParamID id, ParamValue value)
    {
        String128 text{};
        EXPECT_EQ(controller->getParamStringByValue(id, value, text), kResultOk);
        return ascii(text);
    }
    tresult typed(ParamID id, std::basic_string<char16> text, ParamValue& value)
    {
        return controller->getParamValueByString(id, text.data(), value);
    }

    HostApplication host; // counts no references: owned here
    IPtr<BraskController> controller = owned(new BraskController());
};

struct Row
{
    ParamID id;
    const char* title;
    int32 stepCount;
    double defaultValue;
    int32 flags;
};
// The sound parameters' defaults are the Init sound the processor starts with, single-precision
// values widened; the performance controllers rest where the engine starts them.
// clang-format off
const Row kTable[] = {
    {0, "OSC Mix", 0, 1.0f, 1}, {1, "OSC Tune", 0, 0.37f, 1}, {2, "OSC Fine", 0, 0.25f, 1},
    {3, "Glide", 5, 0.3f, 9}, {4, "Gld Rate", 0, 0.32f, 1}, {5, "Gld Bend", 0, 0.5f, 1},
    {6, "VCF Freq", 0, 0.9f, 1}, {7, "VCF Reso", 0, 0.6f, 1}, {8, "VCF Env", 0, 0.12f, 1},
    {9, "VCF LFO", 0, 0.0f, 1}, {10, "VCF Vel", 0, 0.5f, 1}, {11, "VCF Att", 0, 0.9f, 1},
    {12, "VCF Dec", 0, 0.89f, 1}, {13, "VCF Sus", 0, 0.9f, 1}, {14, "VCF Rel", 0, 0.73f, 1},
    {15, "ENV Att", 0, 0.0f, 1}, {16, "ENV Dec", 0, 0.5f, 1}, {17, "ENV Sus", 0, 1.0f, 1},
    {18, "ENV Rel", 0, 0.71f, 1}, {19, "LFO Rate", 0, 0.81f, 1}, {20, "Vibrato", 0, 0.65f, 1},
    {21, "Noise", 0, 0.0f, 1}, {22, "Octave", 0, 0.5f, 1}, {23, "Tuning", 0, 0.5f, 1},
    {kModw, "Mod Wheel", 0, 0, 0}, {kPitb, "Pitch Bend", 0, 0.5, 0}, {kBrth, "Filter Mod+", 0, 0, 0},
    {kCt03, "Filter Mod-", 0, 0, 0}, {kExpr, "Filter Resonance", 0, 0, 0},
    {kAftt, "Aftertouch", 0, 0, 0}};
// clang-format on

TEST_F(BraskControllerTest, PublishesTheThirtyParametersInOrder)
{
    ASSERT_EQ(controller->getParameterCount(), 30);
    for (int32 i = 0; i < 30; ++i)
    {
        const Row& row = kTable[i];
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.id, row.id) << row.title;
        EXPECT_EQ(ascii(info.title), row.title);
        EXPECT_EQ(ascii(info.shortTitle) + ascii(info.units), "") << row.title;
        EXPECT_EQ(info.stepCount, row.stepCount) << row.title;
        EXPECT_EQ(info.defaultNormalizedValue, row.defaultValue) << row.title;
        EXPECT_EQ(info.flags, row.flags) << row.title;
        EXPECT_EQ(info.unitId, 0) << row.title;
        EXPECT_EQ(controller->getParamNormalized(row.id), row.defaultValue) << row.title;
        if (row.id != 3 && row.id != 22) // the others print four decimals
        {
            EXPECT_EQ(shown(row.id, 0.123456), "0.1235") << row.title;
        }
    }
    EXPECT_EQ(shown(0, 0.15) + " " + shown(3, 0.6), "0.1500 Mono");
    EXPECT_EQ(shown(22, 0.0) + shown(22, 0.25) + shown(22, 0.5) + shown(22, 0.6) + shown(22, 1.0),
              "-2-1002");
    EXPECT_DOUBLE_EQ(controller->normalizedParamToPlain(22, 0.25), -1.0);
    EXPECT_DOUBLE_EQ(controller->plainParamToNormalized(22, 1.0), 0.75);

    // Nothing beyond the table, and no exception for indexes outside it.
    ParameterInfo info{};
    EXPECT_EQ(controller->getParameterInfo(30, info), kResultFalse);
    EXPECT_EQ(controller->getParameterInfo(-1, info), kResultFalse);
    for (ParamID id : {ParamID(24), kBpas, kPrst})
        EXPECT_EQ(controller->setParamNormalized(id, 0.5), kResultFalse) << id;
    // Huge values show as the nearest end instead of overrunning the host's string.
    EXPECT_EQ(shown(kModw, 1e300) + " " + shown(0, -1e300) + " " + shown(22, 1e300),
              "1.0000 0.0000 2");
}

TEST_F(BraskControllerTest, GlideShowsAndReadsItsModes)
{
    // The plain value is the entry index: what a host sets it reads back, and one step up from
    // there is the next entry.
    for (int32 index = 0; index <= 5; ++index)
    {
        const double plain =
            controller->normalizedParamToPlain(3, controller->plainParamToNormalized(3, index));
        EXPECT_EQ(plain, index);
        EXPECT_EQ(shown(3, controller->plainParamToNormalized(3, plain + 1)),
                  shown(3, (index + 1) / 5.0));
    }
    for (auto [value, plain] : {std::pair{0.3, 1.0}, {0.66, 3.0}, {0.99, 5.0}, {1.0, 5.0}})
        EXPECT_EQ(controller->normalizedParamToPlain(3, value), plain) << value;
    std::string texts;
    for (double value : {0.0, 0.3, 0.6, 0.9, 1.0, 0.16, 0.17, 1e300, -1e300, std::nan("")})
        texts += shown(3, value) + " ";
    EXPECT_EQ(texts, "Poly Poly-Legato Mono Mono-Glide Mono-Glide Poly Poly-Legato Mono-Glide "
                     "Poly Poly ");

    ParamValue value = 0.0;
    for (auto [text, expected] : {std::pair{STR16("Mono"), 0.6},
                                  {STR16("Mono-Glide"), 1.0},
                                  {STR16("3"), 0.6},
                                  {STR16("3.7"), 0.6},
                                  {STR16("5"), 1.0},
                                  {STR16(" \t+2 steps"), 0.4}})
    {
        EXPECT_EQ(typed(3, text, value), kResultOk) << ascii(text);
        EXPECT_DOUBLE_EQ(value, expected) << ascii(text);
    }
    for (const char16* text :
         {STR16("6"), STR16("-1"), STR16("poly"), STR16("Mono "), STR16(""), STR16("- 1"),
          STR16("9999999999999999999999"), STR16("-9999999999999999999999")})
        EXPECT_EQ(typed(3, text, value), kResultFalse) << ascii(text);
    EXPECT_EQ(controller->setParamNormalized(3, 1.7), kResultOk);
    EXPECT_EQ(controller->getParamNormalized(3), 1.0);
}

TEST_F(BraskControllerTest, OctaveShowsTheOctaveThatPlays)
{
    // The engine steps at multiples of 1/4.9; rounding the plain value would show the
    // neighbouring octave over about a fifth of the range.
    std::string texts;
    for (double value : {0.0, 0.15, 0.2040, 0.2041, 0.25, 0.5, 0.62, 0.8163, 0.8164, 0.999, 1.0})
        texts += shown(22, value) + " ";
    EXPECT_EQ(texts, "-2 -2 -2 -1 -1 0 1 1 2 2 2 ");
    ParamValue value = 0.0;
    EXPECT_EQ(typed(22, STR16("-1"), value), kResultOk);
    EXPECT_EQ(value, 0.25);
    EXPECT_EQ(shown(22, value), "-1");
}

TEST(BaseParameter, ReadsAFiniteNumberClampedToTheNormalizedRange)
{
    auto parameter = owned(new BaseParameter(STR16("Level"), nullptr, 0, 0.5, 0, 1, 0));
    EXPECT_EQ(parameter->getNormalized(), 0.0); // not its default
    for (auto [text, expected] : {std::pair{STR16("0.25"), 0.25},
                                  {STR16(" 0.3 dB"), 0.3},
                                  {STR16("1.5"), 1.0},
                                  {STR16("-0.1"), 0.0},
                                  {STR16("inf"), -1.0},
                                  {STR16("nan"), -1.0},
                                  {STR16("x"), -1.0}})
    {
        ParamValue value = -1.0;
        EXPECT_EQ(parameter->fromString(text, value), expected >= 0.0) << ascii(text);
        EXPECT_DOUBLE_EQ(value, expected) << ascii(text);
    }
}

TEST_F(BraskControllerTest, TypedValuesOfSoundParametersMustLieWithinRange)
{
    ParamValue value = 0.0;
    EXPECT_EQ(typed(6, STR16("1.5"), value), kResultFalse);
    EXPECT_DOUBLE_EQ(value, 1.5); // written all the same
    EXPECT_EQ(typed(23, STR16("-0.1"), value), kResultFalse);
    EXPECT_EQ(typed(6, STR16("warm"), value), kResultFalse);
    EXPECT_EQ(typed(24, STR16("0.5"), value), kResultFalse);
    // Accepted: in range, clamped by the parameter itself ("Octave"), entries, and the
    // performance controllers as their conversion reads them.
    std::string accepted;
    for (auto [id, text] : {std::pair{ParamID(0), STR16("0.25")},
                            {6, STR16("1")},
                            {22, STR16("5")},
                            {22, STR16("-7")},
                            {3, STR16("Mono-Legato")},
                            {kModw, STR16("2")},
                            {0, STR16("0.5\U0001F3B9")}})
    {
        EXPECT_EQ(typed(id, text, value), kResultOk) << ascii(text);
        accepted += std::to_string(value) + " ";
    }
    EXPECT_EQ(accepted, "0.250000 1.000000 1.000000 0.000000 0.800000 2.000000 0.500000 ");

    for (const Row& row : kTable)
        for (const char16* text :
             {STR16("nan"), STR16(" NaN"), STR16("inf"), STR16("-Infinity"), STR16("1e999")})
            EXPECT_EQ(typed(row.id, text, value), kResultFalse) << row.title << ascii(text);
    // Broken UTF-16 is refused rather than thrown on.
    EXPECT_EQ(typed(0, STR16("0.5\xD800"), value), kResultFalse);
    EXPECT_EQ(typed(0, STR16("\xDC00"), value), kResultFalse);
    EXPECT_EQ(controller->getParamValueByString(0, nullptr, value), kResultFalse);
}

TEST_F(BraskControllerTest, MapsTheListedMidiControllersOnly)
{
    FUnknownPtr<IMidiMapping> mapping(controller->unknownCast());
    ASSERT_TRUE(mapping);
    const std::map<int, ParamID> expected = {{1, kModw},  {2, kBrth},   {3, kCt03},  {11, kExpr},
                                             {74, kBrth}, {128, kAftt}, {129, kPitb}};
    for (int16 channel = 0; channel < 16; ++channel)
        for (int16 number = 0; number < 130; ++number)
        {
            ParamID id = 12345;
            const bool assigned =
                mapping->getMidiControllerAssignment(0, channel, number, id) == kResultOk;
            const auto found = expected.find(number);
            EXPECT_EQ(assigned, found != expected.end()) << number;
            EXPECT_EQ(id, assigned ? found->second : 12345u) << number;
        }
    ParamID id = 0;
    for (auto [bus, number] : {std::pair{1, 1}, {-1, 1}, {0, 130}, {0, -1}, {0, 32767}})
        EXPECT_EQ(mapping->getMidiControllerAssignment(bus, 0, int16(number), id), kResultFalse);
}

TEST_F(BraskControllerTest, HasARootUnitButNoProgramList)
{
    UnitInfo unit{};
    EXPECT_EQ(controller->getUnitCount(), 1);
    ASSERT_EQ(controller->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_EQ(ascii(unit.name), "Root");
    EXPECT_EQ(unit.programListId, ProgramListID(kPrst));
    EXPECT_EQ(controller->getUnitInfo(1, unit), kResultFalse);

    ProgramListInfo list{};
    String128 name{};
    EXPECT_EQ(controller->getProgramListCount(), 0);
    EXPECT_EQ(controller->getProgramListInfo(0, list), kResultFalse);
    EXPECT_EQ(controller->getProgramName(kPrst, 0, name), kResultFalse);

    // A second initialize fails in the base and adds nothing.
    EXPECT_EQ(controller->initialize(&host), kResultFalse);
    EXPECT_EQ(controller->getParameterCount() + controller->getUnitCount(), 31);
}

/** A product that publishes a preset list. */
struct WithPresets : public BraskController
{
    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE
    {
        BraskController::initialize(context);
        auto* presets = new IndexedParameter(STR16("Presets"), nullptr, 2, 0.0, 8, kPrst, 0);
        const char16* names[] = {STR16("Init"), STR16("Bass"), STR16("Lead")};
        for (int32 i = 0; i < 3; ++i)
            presets->setString(i, names[i]);
        parameters.addParameter(presets);
        return kResultOk;
    }
};

TEST(PresetList, ListsThePresetsAndAChoiceMakesTheHostRereadValues)
{
    auto controller = owned(new WithPresets());
    controller->initialize(nullptr);
    Host::ComponentHandler handler;
    controller->setComponentHandler(&handler);
    controller->setParamNormalized(kPrst, 1.0);
    controller->setParamNormalized(0, 0.3);
    EXPECT_EQ(handler.restarts, std::vector<int32>{kParamValuesChanged});

    ProgramListInfo list{};
    ASSERT_EQ(controller->getProgramListInfo(0, list), kResultOk);
    std::string names = ascii(list.name) + std::to_string(list.programCount);
    for (int32 index : {0, 1, 2, 7, -4}) // outside the list: what the conversion shows
    {
        String128 name{};
        EXPECT_EQ(controller->getProgramName(kPrst, index, name), kResultOk);
        names += " " + ascii(name);
    }
    EXPECT_EQ(names, "Presets3 Init Bass Lead Lead Init");
    controller->terminate();
}

} // namespace
