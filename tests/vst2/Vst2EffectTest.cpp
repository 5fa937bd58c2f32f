// SPDX-License-Identifier: GPL-3.0-or-later
// The module as a VST 2 host meets it: loaded through VSTPluginMain (and main), identity and
// parameters checked against the controller that VST 3 hosts see, and the same material rendered
// through both paths sample for sample.
#include "BuiltBundle.h"
#include "BuiltVst2Module.h"
#include "FactoryPresets.h"
#include "GoldenScenarios.h"
#include "KitPhrase.h"
#include "ProcessBuffers.h"
#include "SampleCompare.h"

#include "BlockInput.h"
#include "EventList.h"
#include "MidiTranslator.h"
#include "ParameterChanges.h"
#include "Utf16.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using namespace Vst2Test;

namespace {

constexpr float kSampleRate = 48000.0f;
constexpr int kGlideIndex = 3;
constexpr int kGlideRateIndex = 4;
constexpr int kVcfFreqIndex = 6;
constexpr int kEnvRelIndex = 18;

// The names hosts look the entry up by; a Windows module exports exactly its entry points.
#ifdef _WIN32
const char* const kEntryNames[] = {"VSTPluginMain"};
#else
const char* const kEntryNames[] = {"VSTPluginMain", "main"};
#endif

/** One host block: its length, MIDI and the parameter moves (index, value) sent before it. */
struct Step
{
    int frames;
    std::vector<Vst2Instance::Midi> midi;
    std::vector<std::pair<int, float>> moves;
};

/** Chords, a mono line with glide and controller sweeps, in host blocks of changing length. */
std::vector<Step> phrase(int blockSize)
{
    std::vector<Step> steps;
    auto quiet = [&](int count) {
        for (int i = 0; i < count; ++i)
            steps.push_back({blockSize, {}, {}});
    };
    steps.push_back({blockSize, {}, {{kEnvRelIndex, 0.3f}}});
    // A chord and its release, with the cutoff moved by automation.
    steps.push_back({blockSize,
                     {{0, {0x90, 48, 100}},
                      {17, {0x90, 55, 90}},
                      {17, {0x91, 60, 80}},
                      {blockSize - 1, {0x90, 64, 127}}},
                     {}});
    for (int i = 0; i < 12; ++i)
        steps.push_back({blockSize, {}, {{kVcfFreqIndex, 0.2f + 0.05f * static_cast<float>(i)}}});
    steps.push_back(
        {blockSize, {{3, {0x80, 48, 40}}, {5, {0x90, 55, 0}}, {9, {0xB0, 123, 0}}}, {}});
    quiet(20);
    // A mono line that glides, legato.
    steps.push_back({blockSize, {}, {{kGlideIndex, 1.0f}, {kGlideRateIndex, 0.4f}}});
    const int line[] = {60, 62, 64, 65, 67, 65, 64, 62};
    int held = 0;
    for (int note : line)
    {
        std::vector<Vst2Instance::Midi> midi = {
            {blockSize / 4, {0x90, static_cast<unsigned char>(note), 90}}};
        if (held) midi.push_back({blockSize / 2, {0x80, static_cast<unsigned char>(held), 0}});
        held = note;
        steps.push_back({blockSize, midi, {}});
        quiet(6);
    }
    // Controller sweeps over a held note: mod wheel, breath, CC 74, expression, aftertouch
    // and pitch bend, several moves per block at their offsets.
    steps.push_back({blockSize, {{0, {0x90, 57, 110}}}, {{kGlideIndex, 0.0f}}});
    const unsigned char controllers[] = {1, 2, 74, 11};
    for (unsigned char cc : controllers)
    {
        for (int i = 0; i < 8; ++i)
        {
            const auto value = static_cast<unsigned char>(i * 16 + 7);
            steps.push_back(
                {blockSize, {{1, {0xB0, cc, value}}, {blockSize / 2, {0xB0, cc, 127}}}, {}});
        }
    }
    for (int i = 0; i < 8; ++i)
    {
        const auto low = static_cast<unsigned char>((i * 37) & 0x7F);
        steps.push_back({blockSize,
                         {{2, {0xE0, low, static_cast<unsigned char>(i * 16)}},
                          {blockSize / 3, {0xD0, static_cast<unsigned char>(i * 15), 0}}},
                         {}});
    }
    steps.push_back({blockSize, {{0, {0xB0, 120, 0}}}, {}});
    quiet(10);
    return steps;
}

/** The phrase through the VST 2 entry; blocks may exceed the announced maximum. */
std::vector<float> renderVst2(Vst2Instance& effect, const std::vector<Step>& steps)
{
    std::vector<float> out;
    for (const Step& step : steps)
    {
        for (const auto& move : step.moves)
            effect.effect->setParameter(effect.effect, move.first, move.second);
        effect.sendMidi(step.midi);
        std::vector<float> left(static_cast<size_t>(step.frames), 7.0f);
        std::vector<float> right(static_cast<size_t>(step.frames), 7.0f);
        effect.render(left.data(), right.data(), step.frames);
        for (size_t i = 0; i < left.size(); ++i)
        {
            out.push_back(left[i]);
            out.push_back(right[i]);
        }
    }
    return out;
}

/** The same phrase through the VST 3 interfaces, as the hosting kit delivers MIDI to a VST 3
    plug-in: notes as note events, controllers through the controller's MIDI mapping as parameter
    changes, a panic as note-offs for the keys down on its channel. Blocks larger than the set-up
    maximum are handed over in pieces of that maximum. */
std::vector<float> renderVst3(Hosting::PluginInstance& instance, const std::vector<Step>& steps,
                              int maxBlock)
{
    const std::vector<ParameterInfo> parameters = instance.parameters();
    TestSupport::KitPhrase phrase(instance, maxBlock);
    for (const Step& step : steps)
    {
        for (const auto& move : step.moves)
            phrase.change(parameters[static_cast<size_t>(move.first)].id,
                          static_cast<double>(move.second));
        for (const Vst2Instance::Midi& m : step.midi)
            phrase.midiMessage(m.offset, m.bytes);
        phrase.render(step.frames);
    }
    return phrase.out;
}

using TestSupport::firstDifference;
using TestSupport::peak;

class Vst2Effect : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Vst2Module::shared().error.empty()) << Vst2Module::shared().error;
        hostLog().version = 2400;
        effect = Vst2Module::shared().openEffect();
        ASSERT_NE(effect, nullptr);
        std::string error;
        ASSERT_TRUE(bundle.open(error)) << error;
    }

    std::unique_ptr<Vst2Instance> effect;
    TestSupport::BuiltBundle bundle;
};

TEST_F(Vst2Effect, BothEntryPointsGiveTheInstrument)
{
    EXPECT_EQ(Vst2Module::shared().entry("main") != nullptr, std::size(kEntryNames) == 2);
    for (const char* name : kEntryNames)
    {
        SCOPED_TRACE(name);
        EntryPoint entry = Vst2Module::shared().entry(name);
        ASSERT_NE(entry, nullptr);
#ifndef _WIN32
        Dl_info where{};
        ASSERT_NE(dladdr(reinterpret_cast<void*>(entry), &where), 0);
        EXPECT_NE(std::string(where.dli_fname).find("Tarvik-Brask.so"), std::string::npos);
#endif

        std::unique_ptr<Vst2Instance> instance = Vst2Module::shared().openEffect(name);
        ASSERT_NE(instance, nullptr);
        AEffect* e = instance->effect;
        EXPECT_EQ(e->magic, kEffectMagic);
        EXPECT_EQ(e->uniqueID, CCONST('T', 'v', 'B', 'k'));
        EXPECT_EQ(e->version, 1606);
        EXPECT_EQ(e->numInputs, 0);
        EXPECT_EQ(e->numOutputs, 2);
        EXPECT_EQ(e->numPrograms, FactoryPresets::count()); // the factory bank
        EXPECT_EQ(e->numParams, bundle.instance->controller()->getParameterCount());
        const VstIntPtr required = effFlagsIsSynth | effFlagsCanReplacing | effFlagsProgramChunks;
        EXPECT_EQ(e->flags & required, required);
        EXPECT_EQ(bool(e->flags & effFlagsHasEditor), bool(BRASK_BUNDLE_HAS_EDITOR));
        EXPECT_NE(e->processReplacing, nullptr);

        EXPECT_EQ(instance->text(effGetEffectName), "Brask");
        EXPECT_EQ(instance->text(effGetVendorString), "Tarvik");
        EXPECT_EQ(instance->text(effGetProductString), "Brask");
        EXPECT_EQ(instance->dispatch(effGetVendorVersion), 1606);
        EXPECT_EQ(instance->dispatch(effGetPlugCategory), kPlugCategSynth);
        EXPECT_EQ(instance->dispatch(effGetVstVersion), 2400);
        EXPECT_EQ(instance->text(effGetProgramName), "Init");

        // The editor's size is known before it opens (no window needed).
        ERect* rect = nullptr;
        if (!BRASK_BUNDLE_HAS_EDITOR)
        {
            EXPECT_EQ(instance->dispatch(effEditGetRect, 0, 0, &rect), 0);
            continue;
        }
        ASSERT_EQ(instance->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, 778);
        EXPECT_EQ(rect->bottom - rect->top, 465);
    }
}

TEST_F(Vst2Effect, CanDoAnswersOnlyWhatIsSupported)
{
    const std::pair<const char*, VstIntPtr> cases[] = {
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"sendVstEvents", 0},
        {"offline", 0},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(effect->dispatch(effCanDo, 0, 0, const_cast<char*>(c.first)), c.second)
            << c.first;
    EXPECT_EQ(effect->dispatch(effCanDo), 0); // no string at all
}

TEST_F(Vst2Effect, HostVersionZeroCreatesNothing)
{
    hostLog().version = 0;
    const int callsBefore = hostLog().calls;
    for (const char* name : kEntryNames)
        EXPECT_EQ(Vst2Module::shared().entry(name)(hostCallback), nullptr) << name;
    // The version question, and nothing after it.
    EXPECT_EQ(hostLog().calls - callsBefore, int(std::size(kEntryNames)));
    EXPECT_EQ(Vst2Module::shared().entry("VSTPluginMain")(nullptr), nullptr);
    hostLog().version = 2400; // the host the other tests are
}

TEST_F(Vst2Effect, ParametersMatchTheController)
{
    IEditController* controller = bundle.instance->controller();
    const std::vector<ParameterInfo> parameters = bundle.instance->parameters();
    ASSERT_EQ(static_cast<int>(parameters.size()), effect->effect->numParams);
    for (int i = 0; i < effect->effect->numParams; ++i)
    {
        const ParameterInfo& info = parameters[static_cast<size_t>(i)];
        SCOPED_TRACE(Hosting::toUtf8(info.title));
        EXPECT_EQ(effect->text(effGetParamName, i), Hosting::toUtf8(info.title));
        EXPECT_EQ(effect->text(effGetParamLabel, i), Hosting::toUtf8(info.units));
        EXPECT_EQ(effect->dispatch(effCanBeAutomated, i),
                  (info.flags & ParameterInfo::kCanAutomate) ? 1 : 0);
        EXPECT_EQ(effect->effect->getParameter(effect->effect, i),
                  static_cast<float>(controller->getParamNormalized(info.id)));

        // A move from the host reaches the controller at once and shows its text.
        effect->effect->setParameter(effect->effect, i, 0.3f);
        controller->setParamNormalized(info.id, 0.3f);
        String128 display = {};
        controller->getParamStringByValue(info.id, controller->getParamNormalized(info.id),
                                          display);
        EXPECT_EQ(effect->effect->getParameter(effect->effect, i),
                  static_cast<float>(controller->getParamNormalized(info.id)));
        EXPECT_EQ(effect->text(effGetParamDisplay, i), Hosting::toUtf8(display));
    }
}

TEST_F(Vst2Effect, TextsStayWithinTheLengthsHostsReserve)
{
    // Hosts size these buffers by the interface's lengths: program names 24 bytes, parameter
    // texts 24, the effect's name 32, vendor and product 64, each with its terminator.
    char longName[] = "A program name longer than any host's field for it";
    effect->dispatch(effSetProgramName, 0, 0, longName);
    constexpr int kLongestTitle = 28; // "Filter Resonance"
    const struct
    {
        int opcode;
        int index;
        size_t size;
    } cases[] = {
        {effGetProgramName, 0, 24},
        {effGetProgramNameIndexed, 0, 24},
        {effGetParamName, kLongestTitle, 24},
        {effGetParamLabel, kLongestTitle, 24},
        {effGetParamDisplay, kLongestTitle, 24},
        {effGetEffectName, 0, 32},
        {effGetVendorString, 0, 64},
        {effGetProductString, 0, 64},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.opcode);
        unsigned char buffer[256];
        std::memset(buffer, 0xA5, sizeof buffer); // a byte no text of ours holds
        effect->dispatch(c.opcode, c.index, 0, buffer);
        size_t written = sizeof buffer;
        while (written > 0 && buffer[written - 1] == 0xA5)
            --written;
        EXPECT_GT(written, 0u);
        EXPECT_LE(written, c.size);
        EXPECT_NE(std::memchr(buffer, 0, c.size), nullptr);
    }
    EXPECT_EQ(effect->text(effGetProgramName), std::string(longName, 23));
}

TEST_F(Vst2Effect, TextEntrySetsAParameter)
{
    // The text a parameter shows, typed back in, gives that value again.
    AEffect* e = effect->effect;
    e->setParameter(e, kVcfFreqIndex, 0.75f);
    std::string shown = effect->text(effGetParamDisplay, kVcfFreqIndex);
    e->setParameter(e, kVcfFreqIndex, 0.1f);
    EXPECT_EQ(effect->dispatch(effString2Parameter, kVcfFreqIndex, 0, &shown[0]), 1);
    EXPECT_NEAR(e->getParameter(e, kVcfFreqIndex), 0.75f, 0.01f);

    char nonsense[] = "loud";
    const float before = e->getParameter(e, kVcfFreqIndex);
    EXPECT_EQ(effect->dispatch(effString2Parameter, kVcfFreqIndex, 0, nonsense), 0);
    EXPECT_EQ(e->getParameter(e, kVcfFreqIndex), before);
}

TEST_F(Vst2Effect, RendersWhatTheVst3PathRenders)
{
    // Host blocks at the announced size, then blocks larger than it and of odd length.
    const struct
    {
        int maxBlock;
        int hostBlock;
    } cases[] = {{256, 256}, {128, 333}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.hostBlock);
        std::unique_ptr<Vst2Instance> vst2 = Vst2Module::shared().openEffect();
        ASSERT_NE(vst2, nullptr);
        vst2->start(kSampleRate, c.maxBlock);
        TestSupport::BuiltBundle vst3;
        std::string error;
        ASSERT_TRUE(vst3.start(kSampleRate, c.maxBlock, error)) << error;

        const std::vector<Step> steps = phrase(c.hostBlock);
        const std::vector<float> heard = renderVst2(*vst2, steps);
        const std::vector<float> expected = renderVst3(*vst3.instance, steps, c.maxBlock);
        EXPECT_GT(peak(expected), 0.05f);
        ASSERT_EQ(heard.size(), expected.size());
        EXPECT_EQ(firstDifference(heard, expected), -1);
    }
}

TEST_F(Vst2Effect, PlaysTheGoldenScenariosAsTheVst3PathDoes)
{
    // The golden renders' scenarios as a VST 2 host sends them: notes as MIDI with 7-bit
    // velocities, parameter changes through setParameter before the block they start.
    namespace Golden = GoldenScenarios;
    const std::vector<ParameterInfo> parameters = bundle.instance->parameters();
    for (const Golden::Scenario& scenario : Golden::scenarios())
    {
        SCOPED_TRACE(scenario.name);
        std::vector<Step> steps(static_cast<size_t>(Golden::kLength / Golden::kBlock),
                                Step{Golden::kBlock, {}, {}});
        for (const Golden::Action& action : scenario.actions)
        {
            Step& step = steps[static_cast<size_t>(action.sample / Golden::kBlock)];
            const int offset = action.sample % Golden::kBlock;
            const auto note = static_cast<unsigned char>(action.id);
            if (action.kind == Golden::Action::kNoteOn)
            {
                const auto velocity = static_cast<unsigned char>(std::lround(action.value * 127));
                step.midi.push_back({offset, {0x90, note, velocity}});
                continue;
            }
            if (action.kind == Golden::Action::kNoteOff)
            {
                step.midi.push_back({offset, {0x80, note, 0}});
                continue;
            }
            ASSERT_EQ(offset, 0) << "setParameter moves land at a block's start";
            const auto found =
                std::find_if(parameters.begin(), parameters.end(),
                             [&](const ParameterInfo& p) { return p.id == action.id; });
            ASSERT_NE(found, parameters.end()) << action.id;
            step.moves.push_back(
                {static_cast<int>(found - parameters.begin()), static_cast<float>(action.value)});
        }

        std::unique_ptr<Vst2Instance> vst2 = Vst2Module::shared().openEffect();
        ASSERT_NE(vst2, nullptr);
        vst2->start(static_cast<float>(Golden::kSampleRate), Golden::kBlock);
        TestSupport::BuiltBundle vst3;
        std::string error;
        ASSERT_TRUE(vst3.start(Golden::kSampleRate, Golden::kBlock, error)) << error;
        const std::vector<float> heard = renderVst2(*vst2, steps);
        const std::vector<float> expected = renderVst3(*vst3.instance, steps, Golden::kBlock);
        EXPECT_GT(peak(expected), 0.01f);
        ASSERT_EQ(heard.size(), expected.size());
        EXPECT_EQ(firstDifference(heard, expected), -1);
    }
}

TEST_F(Vst2Effect, BadInputChangesNothing)
{
    // Junk first, then the phrase: the result must be that of the phrase alone.
    std::unique_ptr<Vst2Instance> clean = Vst2Module::shared().openEffect();
    ASSERT_NE(clean, nullptr);
    effect->start(kSampleRate, 256);
    clean->start(kSampleRate, 256);

    EXPECT_EQ(effect->dispatch(effSetBlockSize, 0, 0), 0);
    EXPECT_EQ(effect->dispatch(effSetBlockSize, 0, -64), 0);
    EXPECT_EQ(effect->dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect->dispatch(effSetSampleRate, 0, 0, nullptr, NAN), 0);
    EXPECT_EQ(effect->dispatch(effSetSampleRate, 0, 0, nullptr, 1.0e9f), 0); // processor refuses
    EXPECT_EQ(effect->dispatch(effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ(effect->dispatch(effGetChunk), 0);
    EXPECT_EQ(effect->dispatch(effSetProcessPrecision, 0, kVstProcessPrecision64), 0);
    for (int opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
    {
        EXPECT_EQ(effect->dispatch(opcode, 0), 0); // no buffer
        EXPECT_EQ(effect->text(opcode, -1), "");   // no such parameter
        EXPECT_EQ(effect->text(opcode, 1000), "");
    }
    EXPECT_EQ(effect->dispatch(9999, 3, 3), 0); // unknown opcode
    effect->effect->setParameter(effect->effect, -1, 0.5f);
    effect->effect->setParameter(effect->effect, 1000, 0.5f);
    effect->effect->setParameter(effect->effect, 0, NAN);
    EXPECT_EQ(effect->effect->getParameter(effect->effect, -1), 0.0f);
    EXPECT_EQ(effect->effect->getParameter(effect->effect, 0),
              clean->effect->getParameter(clean->effect, 0));

    // Running status, a SysEx, an empty slot and a list that claims a negative count.
    effect->sendMidi({{0, {60, 100, 0}}, {0, {0xF0, 0x7E, 0x7F}}});
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    char list[sizeof(VstEvents) + 2 * sizeof(VstEvent*)] = {};
    auto* events = reinterpret_cast<VstEvents*>(list);
    events->numEvents = 2;
    events->events[0] = reinterpret_cast<VstEvent*>(&sysex);
    events->events[1] = nullptr;
    effect->dispatch(effProcessEvents, 0, 0, events);
    events->numEvents = -5;
    effect->dispatch(effProcessEvents, 0, 0, events);
    effect->dispatch(effProcessEvents, 0, 0, nullptr);

    float left[64] = {};
    float right[64] = {};
    float* outputs[2] = {left, nullptr};
    effect->effect->processReplacing(effect->effect, nullptr, outputs, 64);
    effect->effect->processReplacing(effect->effect, nullptr, nullptr, 64);
    effect->render(left, right, 0);
    effect->render(left, right, -3);

    const std::vector<Step> steps = phrase(256);
    EXPECT_EQ(firstDifference(renderVst2(*effect, steps), renderVst2(*clean, steps)), -1);
}

/** The loudest sample of the last of `blocks` blocks after the block of `midi`. */
float peakAfter(Vst2Instance& instance, const std::vector<Vst2Instance::Midi>& midi, int blocks)
{
    instance.sendMidi(midi);
    std::vector<float> left(256), right(256);
    for (int i = 0; i <= blocks; ++i)
        instance.render(left.data(), right.data(), 256);
    return peak(left);
}

TEST_F(Vst2Effect, NoEventIsLostToAFullBlock)
{
    using Midi = Vst2Instance::Midi;
    // A panic on every channel (what hosts send at a stop) and a note after it.
    std::vector<Midi> panic;
    for (unsigned char channel = 0; channel < 16; ++channel)
    {
        panic.push_back({0, {static_cast<unsigned char>(0xB0 | channel), 120, 0}});
        panic.push_back({0, {static_cast<unsigned char>(0xB0 | channel), 123, 0}});
    }
    panic.push_back({100, {0x90, 67, 100}});
    // More notes than one process call of the instrument takes, each struck and released on
    // its own channel and key, and a note after them.
    std::vector<Midi> dense;
    for (int i = 0; i < 600; ++i)
        dense.push_back({i / 3,
                         {static_cast<unsigned char>(0x90 | (i % 16)),
                          static_cast<unsigned char>(30 + i / 16), 100}});
    for (int i = 0; i < 600; ++i)
        dense.push_back({200 + i / 12,
                         {static_cast<unsigned char>(0x80 | (i % 16)),
                          static_cast<unsigned char>(30 + i / 16), 0}});
    dense.push_back({255, {0x90, 67, 100}});

    for (const auto* block : {&panic, &dense})
    {
        SCOPED_TRACE(block == &panic ? "panic" : "dense");
        std::unique_ptr<Vst2Instance> instance = Vst2Module::shared().openEffect();
        ASSERT_NE(instance, nullptr);
        instance->start(kSampleRate, 256);
        instance->effect->setParameter(instance->effect, kEnvRelIndex, 0.1f);
        peakAfter(*instance, {{0, {0x90, 48, 100}}, {0, {0x90, 52, 100}}}, 4);
        EXPECT_GT(peakAfter(*instance, *block, 40), 0.01f); // the last note still sounds
        // and once it is released too, nothing hangs.
        EXPECT_EQ(peakAfter(*instance, {{0, {0x80, 67, 0}}}, 400), 0.0f);
    }
}

TEST_F(Vst2Effect, AHostChangeSurvivesABlockFullOfControllerMoves)
{
    // The same sound, the cutoff moved by the host, once with the mod wheel sent 1100 times
    // in a block and once with its last move alone.
    std::vector<Vst2Instance::Midi> flood;
    for (int i = 0; i < 1100; ++i)
        flood.push_back({i * 200 / 1100, {0xB0, 1, static_cast<unsigned char>(i % 100)}});
    const std::vector<Vst2Instance::Midi> last = {flood.back()};
    const std::vector<Vst2Instance::Midi>* blocks[] = {&flood, &last};
    std::vector<std::vector<float>> heard;
    for (const std::vector<Vst2Instance::Midi>* moves : blocks)
    {
        std::unique_ptr<Vst2Instance> instance = Vst2Module::shared().openEffect();
        ASSERT_NE(instance, nullptr);
        instance->start(kSampleRate, 256);
        peakAfter(*instance, {{0, {0x90, 48, 100}}}, 2);
        instance->effect->setParameter(instance->effect, kVcfFreqIndex, 0.2f);
        std::vector<Step> steps = {{256, *moves, {}}};
        for (int i = 0; i < 20; ++i)
            steps.push_back({256, {}, {}});
        heard.push_back(renderVst2(*instance, steps));
        EXPECT_EQ(instance->effect->getParameter(instance->effect, kVcfFreqIndex), 0.2f);
    }
    EXPECT_GT(peak(heard[0]), 0.01f);
    EXPECT_EQ(firstDifference(heard[0], heard[1]), -1);
}

TEST_F(Vst2Effect, SilentWhileSuspended)
{
    std::vector<float> left(256, 5.0f), right(256, 5.0f);
    effect->sendMidi({{0, {0x90, 60, 100}}});
    effect->render(left.data(), right.data(), 256); // never resumed
    EXPECT_EQ(peak(left), 0.0f);
    EXPECT_EQ(peak(right), 0.0f);

    effect->start(kSampleRate, 256);
    effect->dispatch(effMainsChanged, 0, 0);
    std::fill(left.begin(), left.end(), 5.0f);
    effect->render(left.data(), right.data(), 256);
    EXPECT_EQ(peak(left), 0.0f);
}

TEST_F(Vst2Effect, AccumulatingCallAddsToTheOutput)
{
    std::unique_ptr<Vst2Instance> replacing = Vst2Module::shared().openEffect();
    ASSERT_NE(replacing, nullptr);
    effect->start(kSampleRate, 128);
    replacing->start(kSampleRate, 128);
    for (Vst2Instance* instance : {effect.get(), replacing.get()})
        instance->sendMidi({{5, {0x90, 60, 100}}});

    std::vector<float> added(300, 0.25f), addedRight(300, 0.25f);
    float* outputs[2] = {added.data(), addedRight.data()};
    effect->effect->process(effect->effect, nullptr, outputs, 300);
    std::vector<float> plain(300), plainRight(300);
    replacing->render(plain.data(), plainRight.data(), 300);
    EXPECT_GT(peak(plain), 0.0f);
    for (size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(added[i], 0.25f + plain[i]) << i;
}

} // namespace
