// SPDX-License-Identifier: GPL-3.0-or-later
// Read-outs in musical units against the engine's mapping: the texts at the mapping's reference
// points (its rates and ranges at 44.1 kHz), typed quantities read back through it, every
// read-out reading back as itself, and both in whatever locale the host runs in.
#include "MusicalUnits.h"

#include "BraskParameterIds.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

constexpr double kRate = 44100.0;

MusicalUnits unitsAtMiddle()
{
    double sound[kSoundParamCount];
    for (double& value : sound)
        value = 0.5;
    return MusicalUnits(kRate, sound);
}

TEST(MusicalUnits, ReadOutsAtTheMappingsReferencePoints)
{
    struct Case
    {
        uint32_t id;
        double value;
        const char* text;
    };
    // Times are the rates' time constants; at the slow end the amplitude rates are rounded to
    // single precision, which makes 7.46 s of the nominal 7.39 s.
    const Case cases[] = {
        {kEnvAtt, 0.0, "4.1 ms"},     {kEnvAtt, 0.5, "174 ms"},     {kEnvAtt, 1.0, "7.46 s"},
        {kVcfAtt, 0.0, "4.1 ms"},     {kVcfAtt, 0.5, "174 ms"},     {kVcfAtt, 1.0, "7.39 s"},
        {kEnvRel, 0.005, "0.2 ms"},   {kEnvRel, 0.01, "4.4 ms"},    {kGlideRate, 0.01, "Off"},
        {kGlideRate, 0.02, "2.9 ms"}, {kGlideRate, 0.5, "82.1 ms"}, {kGlideRate, 1.0, "2.72 s"},
        {kLfoRate, 0.0, "0.02 Hz"},   {kLfoRate, 0.5, "0.61 Hz"},   {kLfoRate, 1.0, "20.1 Hz"},
        {kOscTune, 0.0, "-24 st"},    {kOscTune, 0.5, "0 st"},      {kOscTune, 0.65, "+7 st"},
        {kOscTune, 1.0, "+24 st"},    {kOscFine, 0.0, "-50.1 ct"},  {kOscFine, 0.5, "0.0 ct"},
        {kOscFine, 1.0, "+50.0 ct"},  {kOctave, 0.204, "-24 st"},   {kOctave, 0.205, "-12 st"},
        {kOctave, 0.5, "0 st"},       {kOctave, 1.0, "+24 st"},     {kTuning, 0.0, "-100 ct"},
        {kTuning, 0.75, "+50.0 ct"},  {kGlideBend, 0.0, "-36 st"},  {kGlideBend, 0.5, "0.0 st"},
        {kVibrato, 0.5, "0.0 ct"},    {kVibrato, 1.0, "84.5 ct"},   {kVibrato, 0.0, "84.5 ct"},
        {kOscMix, 0.15, "15 %"},      {kNoise, 0.5, "25 %"},        {kNoise, 0.1, "1.0 %"},
        {kVcfSus, 0.5, "25 %"},       {kEnvSus, 0.5, "50 %"},       {kVcfReso, 0.5, "50 %"},
        {kVcfEnv, 0.0, "-100 %"},     {kVcfEnv, 0.5, "0.0 %"},      {kVcfLfo, 0.5, "25 %"},
        {kVcfVel, 0.04, "Off"},       {kVcfVel, 0.05, "-90 %"},     {kVcfFreq, 0.0, "35.1 Hz"},
        {kVcfFreq, 0.5, "1.7 kHz"},   {kVcfFreq, 1.0, "15 kHz"},
    };
    const MusicalUnits units = unitsAtMiddle();
    for (const Case& c : cases)
    {
        std::string text;
        ASSERT_TRUE(units.format(c.id, c.value, text)) << c.id << " at " << c.value;
        EXPECT_EQ(text, c.text) << c.id << " at " << c.value;
    }
    std::string text;
    for (const uint32_t none : {uint32_t(kGlide), kModWheelId, uint32_t(kSoundParamCount)})
        EXPECT_FALSE(units.format(none, 0.5, text)) << none;
    EXPECT_FALSE(units.format(kEnvAtt, -0.1, text));
    // A sample rate no processor runs at (a damaged message) leaves the parameters' own texts.
    for (const double rate : {0.0, -44100.0, std::nan(""), 1e300})
    {
        const MusicalUnits broken(rate, nullptr);
        double value = 0.0;
        EXPECT_FALSE(broken.format(kEnvAtt, 0.5, text)) << rate;
        EXPECT_EQ(broken.parse(kEnvAtt, "200 ms", value), MusicalUnits::Reading::kNotAQuantity);
    }
}

TEST(MusicalUnits, TypedQuantitiesGoBackThroughTheMapping)
{
    using Reading = MusicalUnits::Reading;
    struct Case
    {
        uint32_t id;
        const char* typed;
        Reading reading;
        const char* readsAs; // the read-out of the value it gives
    };
    const Case cases[] = {
        {kOscTune, "7 st", Reading::kValue, "+7 st"},
        {kOscTune, "7.5 st", Reading::kValue, "+8 st"}, // between steps: the nearer
        {kOctave, "1 oct", Reading::kValue, "+12 st"},
        {kOctave, "-12 semis", Reading::kValue, "-12 st"},
        {kEnvAtt, " 200MS ", Reading::kValue, "200 ms"},
        {kVcfDec, "1.5 s", Reading::kValue, "1.50 s"},
        {kVcfFreq, "440 Hz", Reading::kValue, "440 Hz"},
        {kVcfFreq, "2 kHz", Reading::kValue, "2.0 kHz"},
        {kNoise, "25 %", Reading::kValue, "25 %"},
        {kTuning, "-30 cents", Reading::kValue, "-30.0 ct"},
        {kVibrato, "8 ct", Reading::kValue, "8.0 ct"},
        {kVibrato, "8 ct o2", Reading::kValue, "8.0 ct"},
        {kGlideRate, "off", Reading::kValue, "Off"},
        {kEnvRel, "1 ms", Reading::kValue, "0.2 ms"},   // the fast release is nearer
        {kEnvAtt, "7.46 s", Reading::kValue, "7.46 s"}, // beyond the end, reading as it
        {kEnvAtt, "7.5 s", Reading::kRefused, nullptr},
        {kOscTune, "30 st", Reading::kRefused, nullptr},
        {kEnvAtt, "5 Hz", Reading::kRefused, nullptr}, // another parameter's unit
        {kEnvAtt, "200 parsecs", Reading::kRefused, nullptr},
        {kEnvAtt, "nan ms", Reading::kRefused, nullptr},
        {kEnvAtt, "1e999 s", Reading::kRefused, nullptr},
        {kEnvAtt, "0.5", Reading::kNotAQuantity, nullptr}, // the parameter's own text
        {kEnvAtt, "off", Reading::kNotAQuantity, nullptr},
        {kGlide, "3 st", Reading::kNotAQuantity, nullptr},
        {kEnvAtt, "", Reading::kNotAQuantity, nullptr},
    };
    const MusicalUnits units = unitsAtMiddle();
    for (const Case& c : cases)
    {
        double value = -1.0;
        EXPECT_EQ(units.parse(c.id, c.typed, value), c.reading) << c.typed;
        if (c.reading != Reading::kValue) continue;
        std::string text;
        ASSERT_TRUE(units.format(c.id, value, text)) << c.typed;
        EXPECT_EQ(text, c.readsAs) << c.typed;
    }
}

/** The process in a locale with a decimal comma, as a host may set it, while it lives. */
class CommaLocale
{
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        {
            if (std::setlocale(LC_ALL, name) &&
                std::string(std::localeconv()->decimal_point) == ",")
                return;
        }
        std::setlocale(LC_ALL, "C");
    }
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
    bool active() const { return std::string(std::localeconv()->decimal_point) == ","; }
};

TEST(MusicalUnits, ADecimalCommaLocaleChangesNoReadOutAndNoTypedQuantity)
{
    const CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const MusicalUnits units = unitsAtMiddle();
    std::string text;
    ASSERT_TRUE(units.format(kEnvAtt, 1.0, text));
    EXPECT_EQ(text, "7.46 s");
    ASSERT_TRUE(units.format(kOscFine, 1.0, text));
    EXPECT_EQ(text, "+50.0 ct");
    double value = -1.0;
    ASSERT_EQ(units.parse(kVcfDec, "1.5 s", value), MusicalUnits::Reading::kValue);
    ASSERT_TRUE(units.format(kVcfDec, value, text));
    EXPECT_EQ(text, "1.50 s");
    EXPECT_EQ(units.parse(kVcfDec, "1,5 s", value), MusicalUnits::Reading::kRefused);
}

TEST(MusicalUnits, EveryReadOutReadsBackAsItselfAtEveryRate)
{
    for (const double rate : {44100.0, 48000.0, 96000.0})
    {
        double sound[kSoundParamCount];
        for (double& value : sound)
            value = 0.37;
        const MusicalUnits units(rate, sound);
        for (uint32_t id = 0; id < kSoundParamCount; ++id)
        {
            for (int step = 0; step <= 100; ++step)
            {
                const double value = step / 100.0;
                std::string text;
                if (!units.format(id, value, text)) continue;
                double back = -1.0;
                ASSERT_EQ(units.parse(id, text, back), MusicalUnits::Reading::kValue)
                    << id << " " << text;
                std::string again;
                ASSERT_TRUE(units.format(id, back, again));
                EXPECT_EQ(again, text) << id << " at " << value << ", " << rate << " Hz";
            }
        }
    }
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
