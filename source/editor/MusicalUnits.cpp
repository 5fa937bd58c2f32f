// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers are printed and read with std::to_chars and std::from_chars: the C library's printf
// and strtod follow the process's locale, and a host running in a comma-decimal one would show
// "1,50 s" and refuse the "1.5 s" a musician types.
#include "MusicalUnits.h"

#include "EngineState.h"
#include "Filter.h"
#include "ParameterMapping.h"
#include "VoiceAllocation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <tuple>
#include <utility>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr double kPi = 3.14159265358979324;
/** The key the cutoff is shown for, A4. */
constexpr int32_t kReferenceNote = 69;
/** Halvings of the search interval: far below a double's resolution of 0..1. */
constexpr int kBisections = 64;

enum class Kind
{
    kPercent,
    kTime,      // seconds
    kFrequency, // hertz
    kInterval,  // cents, semitones or octaves, by the parameter's own unit
};

/** How a parameter's quantity reads. */
struct UnitRule
{
    Kind kind;
    double unitCents;   // an interval's own unit in cents (100: semitones), else 0
    const char* suffix; // for intervals
    int significant;    // digits shown
    int maxDecimals;
    bool showSign;
    double offBelow; // normalized values below it are "Off"; 0 for none
};

constexpr UnitRule kPercentRule{Kind::kPercent, 0, "%", 3, 1, false, 0.0};
constexpr UnitRule kTimeRule{Kind::kTime, 0, "s", 3, 2, false, 0.0};

constexpr UnitRule kSemitoneRule{Kind::kInterval, 100, "st", 3, 0, true, 0.0};
constexpr UnitRule kCentRule{Kind::kInterval, 1, "ct", 3, 1, true, 0.0};
constexpr UnitRule kFrequencyRule{Kind::kFrequency, 0, "Hz", 3, 2, false, 0.0};
constexpr UnitRule kNoUnitRule{Kind::kPercent, 0, "", 0, 0, false, -1.0};

/** The rule of each parameter with a unit; Glide and the controllers have none. */
constexpr std::pair<uint32_t, UnitRule> kRules[] = {
    {kOscMix, kPercentRule},
    {kVcfReso, kPercentRule},
    {kVcfSus, kPercentRule},
    {kEnvSus, kPercentRule},
    {kNoise, kPercentRule},
    {kVcfLfo, kPercentRule},
    {kOscTune, kSemitoneRule},
    {kOctave, kSemitoneRule},
    {kGlideBend, {Kind::kInterval, 100, "st", 2, 2, true, 0.0}},
    {kOscFine, kCentRule},
    {kTuning, kCentRule},
    {kVibrato, {Kind::kInterval, 1, "ct", 3, 1, false, 0.0}},
    {kVcfEnv, {Kind::kPercent, 0, "%", 3, 1, true, 0.0}},
    {kVcfVel, {Kind::kPercent, 0, "%", 3, 1, true, 0.05}},
    {kGlideRate, {Kind::kTime, 0, "s", 3, 2, false, 0.02}},
    {kVcfAtt, kTimeRule},
    {kVcfDec, kTimeRule},
    {kVcfRel, kTimeRule},
    {kEnvAtt, kTimeRule},
    {kEnvDec, kTimeRule},
    {kEnvRel, kTimeRule},
    {kVcfFreq, kFrequencyRule},
    {kLfoRate, kFrequencyRule},
};

UnitRule ruleOf(uint32_t id)
{
    for (const auto& [parameter, rule] : kRules)
        if (parameter == id) return rule;
    return kNoUnitRule;
}

/** The times: a rate of the engine, and the samples one of its steps spans (the filter
    envelope and the glide move once per control tick, the amplitude envelope every sample). */
struct TimeRate
{
    uint32_t id;
    float Synth::EngineState::*rate;
    double stepSamples;
};
constexpr TimeRate kTimeRates[] = {
    {kGlideRate, &Synth::EngineState::glideCoef, 32.0},
    {kVcfAtt, &Synth::EngineState::filtAttack, 32.0},
    {kVcfDec, &Synth::EngineState::filtDecay, 32.0},
    {kVcfRel, &Synth::EngineState::filtRelease, 32.0},
    {kEnvAtt, &Synth::EngineState::ampAttack, 1.0},
    {kEnvDec, &Synth::EngineState::ampDecay, 1.0},
    {kEnvRel, &Synth::EngineState::ampRelease, 1.0},
};

bool hasUnit(const UnitRule& rule)
{
    return rule.offBelow >= 0.0;
}

/** Which rule applies at this sample rate: none without a usable rate. */
UnitRule ruleAt(uint32_t id, double sampleRate)
{
    return sampleRate > 0.0 ? ruleOf(id) : ruleOf(kSoundParamCount);
}

/** Time constant of a one-pole rate stepped every stepSamples samples. */
double timeConstant(float rate, double stepSamples, double sampleRate)
{
    return -stepSamples / (sampleRate * std::log(1.0 - static_cast<double>(rate)));
}

/** Cents of a period ratio (a shorter period is a higher pitch). */
double centsOfPeriodRatio(double ratio)
{
    return -1200.0 * std::log2(ratio);
}

/** Decimals that show `significant` digits of value, within 0..maxDecimals. */
int decimalsFor(double value, int significant, int maxDecimals)
{
    // Whatever rounds to zero reads as the middle of a bipolar range does: "0.0".
    const double magnitude = std::fabs(value);
    const int zeroDecimals = std::min(maxDecimals, 1);
    if (magnitude < 0.5 * std::pow(10.0, -maxDecimals)) return zeroDecimals;
    const auto decimalsAt = [&](double at) {
        const int leading = static_cast<int>(std::floor(std::log10(at)));
        return std::max(0, std::min(maxDecimals, significant - 1 - leading));
    };
    // Counted on the value as printed: 9.96 with two digits is "10", not "10.0".
    const int decimals = decimalsAt(magnitude);
    const double scale = std::pow(10.0, decimals);
    return decimalsAt(std::max(magnitude, std::round(magnitude * scale) / scale));
}

std::string number(double value, int decimals, bool showSign)
{
    // Wide enough for any finite double in fixed notation with the few decimals asked for.
    char buffer[400];
    const std::to_chars_result printed =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (printed.ec != std::errc()) return "-";
    std::string text(buffer, printed.ptr);
    // No "-0.0" and no "+0.0": a value that rounds to zero has no sign.
    const bool zero = text.find_first_of("123456789") == std::string::npos;
    if (zero && text.front() == '-') text.erase(0, 1);
    if (showSign && !zero && value > 0) text.insert(0, "+");
    return text;
}

/** The decimal number at the start of `text` ("+" or "-", digits, "." and an exponent; "inf" and
    "nan" too), in any locale; null when there is none, else where it ends. */
const char* readNumber(const char* text, double& value)
{
    const char* begin = text + (*text == '+' && text[1] != '-' ? 1 : 0);
    const std::from_chars_result read =
        std::from_chars(begin, begin + std::char_traits<char>::length(begin), value);
    if (read.ec == std::errc::result_out_of_range)
    {
        // Beyond what a double holds, either way: no read-out goes there, so it is refused.
        value = HUGE_VAL;
        return read.ptr;
    }
    return read.ec == std::errc() ? read.ptr : nullptr;
}

/** The value a printed number stands for. */
double printedValue(const std::string& printed)
{
    double value = 0.0;
    return readNumber(printed.c_str(), value) ? value : 0.0;
}

std::string formatQuantity(const UnitRule& rule, double value)
{
    switch (rule.kind)
    {
    case Kind::kPercent:
        return number(value, std::fabs(value) < 9.95 ? rule.maxDecimals : 0, rule.showSign) + " %";
    case Kind::kTime:
    {
        const double ms = value * 1000.0;
        const int msDecimals = decimalsFor(ms, rule.significant, 1);
        if (std::fabs(printedValue(number(ms, msDecimals, false))) < 1000.0)
            return number(ms, msDecimals, false) + " ms";
        return number(value, decimalsFor(value, rule.significant, rule.maxDecimals), false) + " s";
    }
    case Kind::kFrequency:
    {
        const int hzDecimals = decimalsFor(value, rule.significant, rule.maxDecimals);
        if (std::fabs(printedValue(number(value, hzDecimals, false))) < 1000.0)
            return number(value, hzDecimals, false) + " Hz";
        // Two digits in kilohertz: the read-outs are 50 pixels wide.
        const double khz = value / 1000.0;
        return number(khz, decimalsFor(khz, 2, 1), false) + " kHz";
    }
    case Kind::kInterval:
        return number(value, decimalsFor(value, rule.significant, rule.maxDecimals),
                      rule.showSign) +
               " " + rule.suffix;
    }
    return {};
}

std::string lowerTrimmed(const std::string& text)
{
    std::string out;
    for (const char c : text)
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    const size_t first = out.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

/** A typed unit: its kind and what one of it is in the kind's base unit (seconds, hertz,
    percent, cents). */
struct TypedUnit
{
    const char* name;
    Kind kind;
    double scale;
};

constexpr TypedUnit kTypedUnits[] = {
    {"%", Kind::kPercent, 1.0},
    {"ms", Kind::kTime, 0.001},
    {"s", Kind::kTime, 1.0},
    {"sec", Kind::kTime, 1.0},
    {"hz", Kind::kFrequency, 1.0},
    {"khz", Kind::kFrequency, 1000.0},
    {"ct", Kind::kInterval, 1.0},
    {"cent", Kind::kInterval, 1.0},
    {"cents", Kind::kInterval, 1.0},
    {"st", Kind::kInterval, 100.0},
    {"semi", Kind::kInterval, 100.0},
    {"semis", Kind::kInterval, 100.0},
    {"oct", Kind::kInterval, 1200.0},
    {"octave", Kind::kInterval, 1200.0},
    {"octaves", Kind::kInterval, 1200.0},
};

/** Vibrato's two halves: from the middle up both oscillators swing, below only oscillator 2. */
constexpr double kVibratoMiddle = 0.5;
constexpr const char* kOscillator2Mark = "o2";

} // namespace

MusicalUnits::MusicalUnits(double sampleRate, const double* values)
    // A rate no processor runs at (a damaged message) leaves every read-out its own text.
    : sampleRate(sampleRate > 0.0 && sampleRate < 1e7 ? sampleRate : 0.0)
{
    for (int32_t i = 0; i < kSoundParamCount; ++i)
    {
        const double value = values ? values[i] : 0.5;
        sound[i] = value >= 0.0 && value <= 1.0 ? value : 0.5;
    }
}

double MusicalUnits::quantity(uint32_t id, double normalized) const
{
    const UnitRule rule = ruleAt(id, sampleRate);
    if (!hasUnit(rule) || !(normalized >= 0.0 && normalized <= 1.0))
        return std::numeric_limits<double>::quiet_NaN();
    if (normalized < rule.offBelow) return std::numeric_limits<double>::quiet_NaN();

    // The engine's mapping of the sound that plays, with this one value changed; a reference
    // setting where a quantity is a difference between two settings.
    double values[kSoundParamCount];
    std::copy(std::begin(sound), std::end(sound), values);
    values[id] = normalized;
    const auto reference = [&](uint32_t referenceId, double referenceValue) {
        double referenceValues[kSoundParamCount];
        std::copy(std::begin(values), std::end(values), referenceValues);
        referenceValues[referenceId] = referenceValue;
        auto other = std::make_unique<Synth::EngineState>();
        Synth::resetEngine(*other);
        Synth::recalcEngine(*other, referenceValues, sampleRate);
        return other;
    };
    const auto engine = reference(id, normalized); // the sound itself
    const double sr = sampleRate;
    const Synth::EngineState& e = *engine;
    for (const TimeRate& time : kTimeRates)
        if (time.id == id) return timeConstant(e.*time.rate, time.stepSamples, sr);

    switch (id)
    {
    case kOscMix:
        return 100.0 * e.oscMix;
    case kNoise:
        // Of the loudest noise the knob gives.
        return 100.0 * e.noiseLevel / reference(kNoise, 1.0)->noiseLevel;
    case kEnvSus:
        return 100.0 * e.ampSustain;
    case kVcfSus:
        return 100.0 * e.filtSustain;
    case kVcfReso:
        // Damping 1 is no resonance, 0 the most.
        return 100.0 * (1.0 - std::sqrt(static_cast<double>(e.resoDamping)));
    case kOscTune:
        // Oscillator 2 against oscillator 1 with OSC Fine in the middle, in whole steps.
        return std::round(centsOfPeriodRatio(reference(kOscFine, 0.5)->osc2Ratio) / 100.0);
    case kOscFine:
        return std::round(10.0 * centsOfPeriodRatio(reference(kOscTune, 0.5)->osc2Ratio)) / 10.0;
    case kOctave:
        return std::round(centsOfPeriodRatio(e.periodScale / reference(kOctave, 0.5)->periodScale) /
                          100.0);
    case kTuning:
        return centsOfPeriodRatio(e.periodScale / reference(kTuning, 0.5)->periodScale);
    case kVibrato:
    {
        // The period swings by the depth either way; shown is the swing below the note.
        const float depth = normalized >= kVibratoMiddle ? e.vibrato1 : e.vibrato2;
        return -centsOfPeriodRatio(1.0 + static_cast<double>(depth));
    }
    case kGlideBend:
        return e.glideBend;
    case kLfoRate:
    {
        const float radiansPerTickHz = static_cast<float>(2.0 * kPi * 32.0 / sr);
        return e.lfoStep / radiansPerTickHz;
    }
    case kVcfFreq:
    {
        // The filter of a voice playing A4 at velocity 64, with envelope, LFO and controllers
        // at rest: its coefficient, held where the filter holds it, as a frequency.
        const float period = Synth::notePeriod(e, kReferenceNote);
        Synth::Filter filter{};
        filter.keyCutoff = 1.0f / period;
        filter.updateCutoff(e.envToCutoff, 0.0f, e.cutoffBase, 1.0f);
        const Synth::FilterShape shape = Synth::filterShape(e.resoScale, e.resoDamping);
        const double coefficient = std::min(filter.cutoff, shape.cutoffLimit);
        return sr / kPi * std::asin(std::min(1.0, coefficient / 2.0));
    }
    // The cutoff's modulation depths, as shares of the deepest each knob gives.
    case kVcfEnv:
        return 100.0 * e.envToCutoff / reference(kVcfEnv, 1.0)->envToCutoff;
    case kVcfLfo:
        return 100.0 * e.lfoToCutoff / reference(kVcfLfo, 1.0)->lfoToCutoff;
    case kVcfVel:
        return 100.0 * e.velToCutoff / reference(kVcfVel, 1.0)->velToCutoff;
    default:
        return std::numeric_limits<double>::quiet_NaN();
    }
}

bool MusicalUnits::format(uint32_t id, double normalized, std::string& text) const
{
    const UnitRule rule = ruleAt(id, sampleRate);
    if (!hasUnit(rule) || !(normalized >= 0.0 && normalized <= 1.0)) return false;
    if (normalized < rule.offBelow)
    {
        text = "Off";
        return true;
    }
    const double value = quantity(id, normalized);
    if (!std::isfinite(value)) return false;
    text = formatQuantity(rule, value);
    return true;
}

MusicalUnits::Reading MusicalUnits::parse(uint32_t id, const std::string& typed,
                                          double& normalized) const
{
    const UnitRule rule = ruleAt(id, sampleRate);
    if (!hasUnit(rule)) return Reading::kNotAQuantity;
    std::string text = lowerTrimmed(typed);
    if (text == "off")
    {
        if (rule.offBelow <= 0.0) return Reading::kNotAQuantity;
        normalized = 0.0;
        return Reading::kValue;
    }

    double typedNumber = 0.0;
    const char* end = readNumber(text.c_str(), typedNumber);
    if (!end) return Reading::kNotAQuantity;
    std::string rest = lowerTrimmed(end);
    if (rest.empty()) return Reading::kNotAQuantity; // a plain number: the parameter's own text
    if (!std::isfinite(typedNumber)) return Reading::kRefused;

    // Vibrato's lower half is asked for by the mark its read-out shows there.
    bool oscillator2 = false;
    const std::string mark = std::string(" ") + kOscillator2Mark;
    if (id == kVibrato && rest.size() > mark.size() &&
        rest.compare(rest.size() - mark.size(), mark.size(), mark) == 0)
    {
        oscillator2 = true;
        rest = lowerTrimmed(rest.substr(0, rest.size() - mark.size()));
    }
    const TypedUnit* unit = nullptr;
    for (const TypedUnit& candidate : kTypedUnits)
    {
        if (rest == candidate.name) unit = &candidate;
    }
    if (!unit) return Reading::kRefused;
    if (unit->kind != rule.kind) return Reading::kRefused;
    // Intervals convert among cents, semitones and octaves ("1 oct" on Octave).
    double target = typedNumber * unit->scale;
    if (rule.kind == Kind::kInterval) target /= rule.unitCents;

    // The stretch of normalized values the quantity rises (or falls) over.
    double low = std::max(0.0, rule.offBelow);
    double high = 1.0;
    if (id == kVibrato)
    {
        if (oscillator2)
            high = kVibratoMiddle;
        else
            low = kVibratoMiddle;
    }
    const auto valueAt = [&](double x) { return quantity(id, x); };
    const double direction = valueAt(high) >= valueAt(low) ? 1.0 : -1.0;
    const auto rising = [&](double x) { return direction * valueAt(x); };

    // A value beyond an end is taken when it reads as that end does (a typed "7.39 s").
    const auto readsAs = [&](double a, double b) {
        return formatQuantity(rule, a) == formatQuantity(rule, b);
    };
    const double lowest = std::min(valueAt(low), valueAt(high));
    const double highest = std::max(valueAt(low), valueAt(high));
    if (target < lowest || target > highest)
    {
        const double nearest = target < lowest ? lowest : highest;
        if (!readsAs(target, nearest)) return Reading::kRefused;
        target = nearest;
    }

    const auto solve = [&](double wanted) {
        const double goal = direction * wanted;
        // First x whose value reaches the goal, and last x whose value does not pass it.
        double a = low;
        if (rising(low) < goal)
        {
            double l = low, h = high;
            for (int i = 0; i < kBisections; ++i)
            {
                const double m = 0.5 * (l + h);
                (rising(m) >= goal ? h : l) = m;
            }
            a = h;
        }
        double b = high;
        if (rising(high) > goal)
        {
            double l = low, h = high;
            for (int i = 0; i < kBisections; ++i)
            {
                const double m = 0.5 * (l + h);
                (rising(m) <= goal ? l : h) = m;
            }
            b = l;
        }
        return std::make_pair(a, b);
    };
    auto [first, last] = solve(target);
    if (last < first)
    {
        // Between two steps (7.5 st, or the jump to the fast release): the nearer step.
        const double above = valueAt(first);
        const double below = valueAt(last);
        const double step = std::fabs(above - target) <= std::fabs(below - target) ? above : below;
        std::tie(first, last) = solve(step);
    }
    normalized = std::min(high, std::max(low, 0.5 * (first + last)));
    return Reading::kValue;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
