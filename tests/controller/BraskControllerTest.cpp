// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument's controller after initialize: its 30 parameters, the MIDI controller table,
// the unit and program-list answers, and what typed text may set.
#include "BraskController.h"
#include "ComponentHandler.h"
#include "IndexedParameter.h"
#include "TestSupport.h"

#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using BraskTest::ascii;
using BraskTest::u16;

namespace {

constexpr ParamID kModw = 0x6D6F6477;
constexpr ParamID kPitb = 0x70697462;
constexpr ParamID kBrth = 0x62727468;
constexpr ParamID kCt03 = 0x63743033;
constexpr ParamID kExpr = 0x65787072;
constexpr ParamID kAftt = 0x61667474;
constexpr ParamID kBpas = 0x62706173;
constexpr ParamID kPrst = 0x70727374;

class BraskControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host = owned(new HostApplication());
        controller = owned(new BraskController());
        ASSERT_EQ(controller->initialize(host), kResultOk);
    }
    void TearDown() override { controller->terminate(); }

    std::string shown(ParamID id, ParamValue value)
    {
        String128 text{};
        EXPECT_EQ(controller->getParamStringByValue(id, value, text), kResultOk);
        return ascii(text);
    }

    tresult typed(ParamID id, const std::u16string& text, ParamValue& value)
    {
        std::u16string copy = text;
        return controller->getParamValueByString(id, copy.data(), value);
    }

    IPtr<HostApplication> host;
    IPtr<BraskController> controller;
};

struct ExpectedRow
{
    ParamID id;
    const char* title;
    int32 stepCount;
    double defaultValue;
    int32 flags;
};

// The parameter set as hosts see it, in order.
const ExpectedRow kExpectedTable[] = {
    {0, "OSC Mix", 0, 0.15, 1},
    {1, "OSC Tune", 0, 0.6, 1},
    {2, "OSC Fine", 0, 0.5, 1},
    {3, "Glide", 5, 0.0, 9},
    {4, "Gld Rate", 0, 0.5, 1},
    {5, "Gld Bend", 0, 0.5, 1},
    {6, "VCF Freq", 0, 0.5, 1},
    {7, "VCF Reso", 0, 0.5, 1},
    {8, "VCF Env", 0, 0.5, 1},
    {9, "VCF LFO", 0, 0.5, 1},
    {10, "VCF Vel", 0, 0.5, 1},
    {11, "VCF Att", 0, 0.5, 1},
    {12, "VCF Dec", 0, 0.5, 1},
    {13, "VCF Sus", 0, 0.5, 1},
    {14, "VCF Rel", 0, 0.5, 1},
    {15, "ENV Att", 0, 0.5, 1},
    {16, "ENV Dec", 0, 0.5, 1},
    {17, "ENV Sus", 0, 0.5, 1},
    {18, "ENV Rel", 0, 0.5, 1},
    {19, "LFO Rate", 0, 0.5, 1},
    {20, "Vibrato", 0, 0.5, 1},
    {21, "Noise", 0, 0.5, 1},
    {22, "Octave", 0, 0.5, 1},
    {23, "Tuning", 0, 0.5, 1},
    {kModw, "Mod Wheel", 0, 0.0, 0},
    {kPitb, "Pitch Bend", 0, 0.0, 0},
    {kBrth, "Filter Mod+", 0, 0.0, 0},
    {kCt03, "Filter Mod-", 0, 0.0, 0},
    {kExpr, "Filter Resonance", 0, 0.0, 0},
    {kAftt, "Aftertouch", 0, 0.0, 0},
};

TEST_F(BraskControllerTest, PublishesThirtyParametersInTableOrder)
{
    ASSERT_EQ(controller->getParameterCount(), 30);
    for (int32 i = 0; i < 30; ++i)
    {
        const ExpectedRow& row = kExpectedTable[i];
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.id, row.id) << row.title;
        EXPECT_EQ(ascii(info.title), row.title);
        EXPECT_EQ(ascii(info.shortTitle), "") << row.title;
        EXPECT_EQ(ascii(info.units), "") << row.title;
        EXPECT_EQ(info.stepCount, row.stepCount) << row.title;
        EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, row.defaultValue) << row.title;
        EXPECT_EQ(info.flags, row.flags) << row.title;
        EXPECT_EQ(info.unitId, kRootUnitId) << row.title;
        // Every parameter starts at its default ("Glide" starts at 0, which is its default).
        EXPECT_DOUBLE_EQ(controller->getParamNormalized(row.id), row.defaultValue) << row.title;
    }
}

TEST_F(BraskControllerTest, AnswersFalseForIndexesAndIdsOutsideTheSet)
{
    ParameterInfo info{};
    EXPECT_EQ(controller->getParameterInfo(30, info), kResultFalse);
    EXPECT_EQ(controller->getParameterInfo(-1, info), kResultFalse);
    String128 text{};
    for (ParamID id : {ParamID(24), kBpas, kPrst, ParamID(0xFFFFFFFF)})
    {
        EXPECT_EQ(controller->getParamStringByValue(id, 0.5, text), kResultFalse) << id;
        EXPECT_EQ(controller->setParamNormalized(id, 0.5), kResultFalse) << id;
    }
}

TEST_F(BraskControllerTest, ShowsValuesWithTheirClassAndPrecision)
{
    EXPECT_EQ(shown(0, 0.15), "0.1500");
    for (const ExpectedRow& row : kExpectedTable)
    {
        if (row.id == 3 || row.id == 22) continue;
        EXPECT_EQ(shown(row.id, 0.123456), "0.1235") << row.title;
    }
    EXPECT_EQ(shown(22, 0.0), "-2");
    EXPECT_EQ(shown(22, 0.25), "-1");
    EXPECT_EQ(shown(22, 0.5), "0");
    EXPECT_EQ(shown(22, 1.0), "2");
    EXPECT_EQ(shown(22, 0.6), "0"); // plain 0.4, no decimals
    EXPECT_EQ(shown(3, 0.6), "Mono");
    // Out-of-range values show as the nearest end, even huge ones whose printed digits would
    // not fit the host's string.
    EXPECT_EQ(shown(kModw, 1e300), "1.0000");
    EXPECT_EQ(shown(0, -1e300), "0.0000");
    EXPECT_EQ(shown(22, 1e300), "2");
}

TEST_F(BraskControllerTest, ConvertsOctaveBetweenPlainAndNormalized)
{
    EXPECT_DOUBLE_EQ(controller->normalizedParamToPlain(22, 0.25), -1.0);
    EXPECT_DOUBLE_EQ(controller->plainParamToNormalized(22, 1.0), 0.75);
    EXPECT_DOUBLE_EQ(controller->normalizedParamToPlain(3, 0.3), 1.8);
    EXPECT_DOUBLE_EQ(controller->normalizedParamToPlain(0, 0.3), 0.3);
}

TEST_F(BraskControllerTest, TypedValuesOfSoundParametersMustLieWithinRange)
{
    ParamValue value = 0.0;
    EXPECT_EQ(typed(0, u"0.25", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, 0.25);
    EXPECT_EQ(typed(6, u"1.5", value), kResultFalse);
    EXPECT_DOUBLE_EQ(value, 1.5); // written all the same
    EXPECT_EQ(typed(23, u"-0.1", value), kResultFalse);
    EXPECT_EQ(typed(6, u"1", value), kResultOk);
    EXPECT_EQ(typed(6, u"0", value), kResultOk);
    EXPECT_EQ(typed(6, u"warm", value), kResultFalse);

    // Octave clamps typed octaves itself; Glide takes entries and indexes.
    EXPECT_EQ(typed(22, u"5", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, 1.0);
    EXPECT_EQ(typed(22, u"-7", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, 0.0);
    EXPECT_EQ(typed(22, u"1", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, 0.75);
    EXPECT_EQ(typed(3, u"Mono-Legato", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, 0.8);
    EXPECT_EQ(typed(3, u"9", value), kResultFalse);

    // The performance controllers answer as their conversion does, without the range check.
    EXPECT_EQ(typed(kModw, u"2", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, 2.0);
    EXPECT_EQ(typed(kAftt, u"-3", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, -3.0);

    EXPECT_EQ(typed(24, u"0.5", value), kResultFalse);
}

TEST_F(BraskControllerTest, RefusesTypedNaNAndInfinityForEveryParameter)
{
    for (const ExpectedRow& row : kExpectedTable)
    {
        for (const char16_t* text : {u"nan", u" NaN", u"inf", u"-Infinity", u"1e999", u"-1e400"})
        {
            ParamValue value = 0.5;
            EXPECT_EQ(typed(row.id, text, value), kResultFalse)
                << row.title << " " << ascii(reinterpret_cast<const char16*>(text));
        }
    }
}

TEST_F(BraskControllerTest, RefusesTextsThatAreNoValidUtf16)
{
    ParamValue value = 0.5;
    EXPECT_EQ(typed(0, u"0.5\xD800", value), kResultFalse);
    EXPECT_EQ(typed(0,
                    u"\xDC00"
                    u"0.5",
                    value),
              kResultFalse);
    EXPECT_EQ(controller->getParamValueByString(0, nullptr, value), kResultFalse);
    // A correctly paired surrogate after the number is merely ignored.
    EXPECT_EQ(typed(0, u"0.5\U0001F3B9", value), kResultOk);
    EXPECT_DOUBLE_EQ(value, 0.5);
}

TEST_F(BraskControllerTest, MapsTheListedMidiControllersOnly)
{
    FUnknownPtr<IMidiMapping> mapping(controller->unknownCast());
    ASSERT_TRUE(mapping);
    const std::map<int, ParamID> expected = {{1, kModw},  {2, kBrth},   {3, kCt03},  {11, kExpr},
                                             {74, kBrth}, {128, kAftt}, {129, kPitb}};
    for (int16 channel = 0; channel < 16; ++channel)
    {
        for (int number = 0; number < 130; ++number)
        {
            ParamID id = 12345;
            const tresult result = mapping->getMidiControllerAssignment(
                0, channel, static_cast<CtrlNumber>(number), id);
            auto found = expected.find(number);
            if (found == expected.end())
            {
                EXPECT_EQ(result, kResultFalse) << "controller " << number;
                EXPECT_EQ(id, 12345u);
            }
            else
            {
                EXPECT_EQ(result, kResultOk) << "controller " << number;
                EXPECT_EQ(id, found->second) << "controller " << number;
            }
        }
    }
    ParamID id = 0;
    for (int32 bus : {1, -1, 16})
        EXPECT_EQ(mapping->getMidiControllerAssignment(bus, 0, 1, id), kResultFalse) << bus;
    for (int16 number : {int16(130), int16(131), int16(-1), int16(32767), int16(-32768)})
        EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, number, id), kResultFalse) << number;
}

TEST_F(BraskControllerTest, HasOneRootUnitAndNoProgramList)
{
    EXPECT_EQ(controller->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(controller->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_EQ(ascii(unit.name), "Root");
    EXPECT_EQ(unit.programListId, static_cast<ProgramListID>(kPrst));
    EXPECT_EQ(controller->getUnitInfo(1, unit), kResultFalse);
    EXPECT_EQ(controller->getUnitInfo(-1, unit), kResultFalse);

    EXPECT_EQ(controller->getProgramListCount(), 0);
    ProgramListInfo list{};
    EXPECT_EQ(controller->getProgramListInfo(0, list), kResultFalse);
    String128 name{};
    EXPECT_EQ(controller->getProgramName(static_cast<ProgramListID>(kPrst), 0, name), kResultFalse);
    EXPECT_EQ(controller->getProgramInfo(static_cast<ProgramListID>(kPrst), 0, "name", name),
              kResultFalse);
}

TEST_F(BraskControllerTest, KeepsNoStateOfItsOwn)
{
    BraskTest::ScriptedStream stream({});
    EXPECT_EQ(controller->getState(&stream), kNotImplemented);
    EXPECT_EQ(controller->setState(&stream), kNotImplemented);
}

TEST_F(BraskControllerTest, ASecondInitializeFailsAndAddsNothing)
{
    EXPECT_EQ(controller->initialize(host), kResultFalse);
    EXPECT_EQ(controller->getParameterCount(), 30);
    EXPECT_EQ(controller->getUnitCount(), 1);
}

TEST_F(BraskControllerTest, TerminateEmptiesTheSetAndInitializeRebuildsIt)
{
    EXPECT_EQ(controller->terminate(), kResultOk);
    EXPECT_EQ(controller->getParameterCount(), 0);
    ParameterInfo info{};
    EXPECT_EQ(controller->getParameterInfo(0, info), kResultFalse);
    ASSERT_EQ(controller->initialize(host), kResultOk);
    EXPECT_EQ(controller->getParameterCount(), 30);
    EXPECT_EQ(controller->getUnitCount(), 1);
}

/** The product's controller with a preset list, as a product that publishes one would have. */
class ControllerWithPresets : public BraskController
{
public:
    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE
    {
        const tresult result = BraskController::initialize(context);
        if (result == kResultOk)
        {
            auto* presets = new IndexedParameter(STR16("Presets"), nullptr, 2, 0.0,
                                                 ParameterInfo::kIsList, kPrst, kRootUnitId);
            presets->setString(0, STR16("Init"));
            presets->setString(1, STR16("Bass"));
            presets->setString(2, STR16("Lead"));
            parameters.addParameter(presets);
        }
        return result;
    }
};

TEST(BraskControllerPresets, ChoosingAPresetAsksTheHostToRereadAllValues)
{
    IPtr<ControllerWithPresets> controller = owned(new ControllerWithPresets());
    ASSERT_EQ(controller->initialize(nullptr), kResultOk);
    // No handler yet: nothing to tell.
    EXPECT_EQ(controller->setParamNormalized(kPrst, 0.5), kResultOk);

    Tarvik::Host::ComponentHandler handler;
    controller->setComponentHandler(&handler);
    EXPECT_EQ(controller->setParamNormalized(kPrst, 1.0), kResultOk);
    ASSERT_EQ(handler.restarts.size(), 1u);
    EXPECT_EQ(handler.restarts[0], kParamValuesChanged);
    EXPECT_EQ(controller->setParamNormalized(0, 0.3), kResultOk);
    EXPECT_EQ(controller->setParamNormalized(24, 0.3), kResultFalse);
    EXPECT_EQ(handler.restarts.size(), 1u);
    EXPECT_TRUE(handler.edits.empty());

    // The list behind the root unit's program list.
    EXPECT_EQ(controller->getProgramListCount(), 1);
    ProgramListInfo list{};
    EXPECT_EQ(controller->getProgramListInfo(1, list), kResultFalse);
    ASSERT_EQ(controller->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.id, static_cast<ProgramListID>(kPrst));
    EXPECT_EQ(ascii(list.name), "Presets");
    EXPECT_EQ(list.programCount, 3);
    String128 name{};
    EXPECT_EQ(controller->getProgramName(kRootUnitId, 0, name), kResultFalse);
    const char* const expected[] = {"Init", "Bass", "Lead"};
    for (int32 i = 0; i < 3; ++i)
    {
        ASSERT_EQ(controller->getProgramName(static_cast<ProgramListID>(kPrst), i, name),
                  kResultOk);
        EXPECT_EQ(ascii(name), expected[i]);
    }
    // Indexes outside the list show what the parameter's conversion gives.
    ASSERT_EQ(controller->getProgramName(static_cast<ProgramListID>(kPrst), 7, name), kResultOk);
    EXPECT_EQ(ascii(name), "Lead");
    ASSERT_EQ(controller->getProgramName(static_cast<ProgramListID>(kPrst), -4, name), kResultOk);
    EXPECT_EQ(ascii(name), "Init");

    controller->terminate();
}

} // namespace
