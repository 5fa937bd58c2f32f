// SPDX-License-Identifier: GPL-3.0-or-later
// BraskProcessor driven as a host drives it: the state stream, the block's note events at the
// boundary (capacity, ranges, velocities) and the parameter boundary.
#include "EngineRig.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using namespace Steinberg::Vst::Tarvik::Synth;
using TestRig::loadState;
using TestRig::ProcessorRig;
using TestRig::saveState;

namespace {

void putDouble(std::vector<char>& bytes, size_t index, double value)
{
    std::memcpy(bytes.data() + 4 + 8 * index, &value, 8); // the test machine is little-endian
}

/** Counts the records in the engine's event buffer. */
int32 storedEvents(const EngineState& engine)
{
    int32 count = 0;
    while (engine.eventBuffer[count * kEventRecordSize] != kEventTerminator)
        ++count;
    return count;
}

TEST(ProcessorState, RoundTripIsBitExactAndSoundsTheSame)
{
    ProcessorRig first;
    const double values[] = {0.123456789012345, 1.0 / 3.0, 0.999999999999, 0.8, 0.0};
    const ParamID ids[] = {kOscMix, kVcfFreq, kGlide, kVcfReso, kEnvAtt};
    for (int i = 0; i < 5; ++i)
        first.changes.add(ids[i], 0, values[i]);
    first.process(0);
    const std::vector<char> saved = saveState(first.processor);
    ASSERT_EQ(saved.size(), 200u);

    ProcessorRig second;
    loadState(second.processor, saved);
    EXPECT_EQ(saveState(second.processor), saved);
    second.process(0); // while active, a state takes effect at the next block
    for (int32 i = 0; i < kSoundParamCount; ++i)
        EXPECT_EQ(std::memcmp(&first.processor->paramValues[i], &second.processor->paramValues[i],
                              sizeof(double)),
                  0)
            << i;
    EXPECT_EQ(second.engine().voiceMode, first.engine().voiceMode);
    EXPECT_EQ(second.engine().cutoffBase, first.engine().cutoffBase);

    for (ProcessorRig* rig : {&first, &second})
    {
        rig->events.addNoteOn(0, 60, 0.9f);
        rig->events.addNoteOn(100, 67, 0.5f);
        rig->process(512);
    }
    EXPECT_EQ(std::memcmp(first.left(), second.left(), 512 * sizeof(float)), 0);
    EXPECT_GT(TestRig::peak(first.left(), 512), 0.0f);
}

TEST(ProcessorState, ShortStreamsAreRefusedAndDamagedValuesKeepThePreviousOnes)
{
    ProcessorRig rig;
    std::vector<char> full = saveState(rig.processor);
    std::vector<double> before(rig.processor->paramValues, rig.processor->paramValues + 24);

    std::vector<char> changed = full;
    for (size_t i = 0; i < 24; ++i)
        putDouble(changed, i, 0.25);
    changed[196] = 7; // any non-zero bypass word turns bypass on

    // A stream that ends early (a damaged preset) changes nothing, nor does an empty one.
    for (size_t size : {size_t(0), size_t(1), size_t(4 + 80), size_t(199)})
    {
        EXPECT_EQ(loadState(rig.processor,
                            std::vector<char>(changed.begin(), changed.begin() + long(size))),
                  kResultFalse)
            << size;
        rig.process(0);
        EXPECT_EQ(std::vector<double>(rig.processor->paramValues, rig.processor->paramValues + 24),
                  before)
            << size;
        EXPECT_EQ(saveState(rig.processor), full) << size;
        EXPECT_EQ(rig.engine().voiceMode, 1) << size; // Poly-Legato, as the Init sound
    }

    // Damaged values keep the previous ones; the bypass word still counts.
    putDouble(changed, 3, std::numeric_limits<double>::quiet_NaN());
    putDouble(changed, 4, 1.5);
    putDouble(changed, 5, -std::numeric_limits<double>::infinity());
    putDouble(changed, 12, 0.75);
    EXPECT_EQ(loadState(rig.processor, changed), kResultOk);
    rig.process(0);
    EXPECT_EQ(rig.processor->paramValues[2], 0.25);
    EXPECT_EQ(rig.processor->paramValues[3], before[3]);
    EXPECT_EQ(rig.processor->paramValues[4], before[4]);
    EXPECT_EQ(rig.processor->paramValues[5], before[5]);
    EXPECT_EQ(rig.processor->paramValues[12], 0.75);
    EXPECT_EQ(saveState(rig.processor)[196], 1);

    // The instrument still plays.
    rig.changes.add(kBypassParamId, 0, 0.0);
    rig.events.addNoteOn(0, 60, 1.0f);
    rig.process(1024);
    rig.process(1024);
    EXPECT_TRUE(TestRig::allFinite(rig.left(), 1024));
    EXPECT_GT(TestRig::peak(rig.left(), 1024), 0.0f);
}

TEST(ProcessorState, PerformanceControllersAreNotPartOfTheState)
{
    ProcessorRig rig;
    rig.changes.add(kModWheelId, 0, 1.0);
    rig.changes.add(kPitchBendId, 0, 1.0);
    rig.process(0);
    const std::vector<char> saved = saveState(rig.processor);
    loadState(rig.processor, saved);
    EXPECT_NEAR(rig.engine().modWheel, 0.0806, 1e-4);
    EXPECT_NEAR(rig.engine().bendRatio, 1.05946, 1e-5);

    ProcessorRig fresh;
    EXPECT_EQ(saveState(fresh.processor), saved);
}

TEST(ProcessorEvents, ARenderedBlockPlaysEveryNoteEventAnUnrenderedOneKeepsItsFirst512)
{
    // The engine takes 512 note events per render; a block with more is rendered in pieces.
    // Events beyond the buffer at one sample wait one sample, at the block's last sample they
    // wait for the next block.
    struct Case
    {
        int32 count;
        int32 spacing; // samples between events; 0 puts them all on one sample
        int32 firstOffset;
    };
    for (const Case c :
         {Case{45, 1, 0}, Case{512, 1, 0}, Case{600, 1, 0}, Case{1500, 0, 7}, Case{700, 0, 1023}})
    {
        auto addEvents = [&c](Hosting::EventList& events) {
            for (int32 i = 0; i < c.count; ++i)
                events.addNoteOn(c.firstOffset + i * c.spacing, static_cast<int16>(1 + i % 120),
                                 0.8f);
        };
        const int16 lastNote = static_cast<int16>(1 + (c.count - 1) % 120);
        ProcessorRig rig;
        const int32 activeBefore = rig.engine().activeVoices;
        addEvents(rig.events);
        rig.process(0); // stores the events without rendering them
        EXPECT_EQ(storedEvents(rig.engine()), std::min(c.count, kMaxBlockEvents)) << c.count;
        EXPECT_EQ(rig.engine().activeVoices, activeBefore); // nothing written past the records

        ProcessorRig played;
        addEvents(played.events);
        played.process(1024);
        played.events.clear();
        played.process(1024);
        EXPECT_EQ(played.engine().lastNote, lastNote) << c.count << " at " << c.firstOffset;
        EXPECT_EQ(played.engine().eventBuffer[0], kEventTerminator);
    }
}

TEST(ProcessorEvents, NotesOutsideTheMidiRangeAreIgnored)
{
    ProcessorRig rig;
    rig.events.addNoteOn(0, -1, 1.0f);
    rig.events.addNoteOn(0, 128, 1.0f);
    rig.events.addNoteOff(0, 300);
    rig.events.addNoteOn(0, 127, 1.0f);
    rig.process(0);
    EXPECT_EQ(storedEvents(rig.engine()), 1);
    EXPECT_EQ(rig.engine().eventBuffer[1], 127);
}

TEST(ProcessorEvents, VelocitiesAreClampedAndNaNIsANoteOff)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        float velocity;
        int32 stored;
    } cases[] = {{1.0f, 127},
                 {3.0f, 127},
                 {0.5f, 63},
                 {0.5f / 127, 0},
                 {-0.5f, 0},
                 {nan, 0},
                 {std::numeric_limits<float>::infinity(), 127}};
    for (const auto& c : cases)
    {
        ProcessorRig rig;
        rig.events.addNoteOn(0, 60, c.velocity);
        rig.process(0);
        EXPECT_EQ(rig.engine().eventBuffer[2], c.stored) << c.velocity;
    }

    // A note-on that counts as a note-off releases the note.
    ProcessorRig rig;
    rig.events.addNoteOn(0, 60, 1.0f);
    rig.process(256);
    rig.events.addNoteOn(0, 60, nan);
    rig.process(256);
    EXPECT_EQ(rig.engine().voices[0].amp.target, 0.0f);
    EXPECT_TRUE(TestRig::allFinite(rig.left(), 256));
}

TEST(ProcessorEvents, BlockWritesExactlyItsSamples)
{
    ProcessorRig rig;
    rig.buffers.fill(std::numeric_limits<float>::quiet_NaN());
    rig.events.addNoteOn(-40, 60, 1.0f);
    rig.events.addNoteOn(90, 64, 1.0f);
    rig.events.addNoteOn(30, 67, 1.0f); // out of order: applied at 90
    rig.events.addNoteOn(500, 70, 1.0f);
    rig.process(100);
    EXPECT_TRUE(TestRig::allFinite(rig.left(), 100));
    EXPECT_TRUE(TestRig::allFinite(rig.right(), 100));
    EXPECT_TRUE(std::isnan(rig.left()[100]));
    EXPECT_TRUE(std::isnan(rig.right()[100]));
    EXPECT_EQ(rig.engine().voices[0].note, 60);
    EXPECT_EQ(rig.engine().voices[2].note, 67);
    EXPECT_EQ(rig.engine().voices[3].note, 0); // offset 500 lies beyond the block
}

TEST(ProcessorParameters, BadValuesAreIgnoredOrClamped)
{
    ProcessorRig rig;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    rig.processor->setParameter(kOscMix, nan, 0);
    EXPECT_EQ(rig.processor->paramValues[kOscMix], 1.0);
    rig.processor->setParameter(kVcfFreq, 4.0, 0);
    EXPECT_EQ(rig.processor->paramValues[kVcfFreq], 1.0);
    rig.processor->setParameter(kVcfFreq, -4.0, 0);
    EXPECT_EQ(rig.processor->paramValues[kVcfFreq], 0.0);

    rig.processor->setParameter(kAftertouchId, 0.5, 0);
    const float half = rig.engine().aftertouch;
    rig.processor->setParameter(kAftertouchId, nan, 0);
    EXPECT_EQ(rig.engine().aftertouch, half);
    rig.processor->setParameter(kAftertouchId, 9.0, 0);
    EXPECT_NEAR(rig.engine().aftertouch, 0.1613, 1e-4);

    // Unknown IDs and the preset list change nothing.
    const EngineState before = rig.engine();
    rig.processor->setParameter(24, 0.5, 0);
    rig.processor->setParameter(0x70727374, 0.5, 0); // 'prst'
    EXPECT_EQ(std::memcmp(&before, &rig.engine(), sizeof(EngineState)), 0);
}

TEST(ProcessorParameters, ControllersActInTheBlockTheyArriveAndTheLaterFilterModWins)
{
    ProcessorRig rig;
    rig.changes.add(kFilterModDownId, 0, 1.0);
    rig.changes.add(kFilterModUpId, 50, 0.5);
    rig.process(64);
    EXPECT_FLOAT_EQ(rig.engine().filterModCtl, 1.27f);
    rig.changes.add(kFilterModUpId, 0, 0.5);
    rig.changes.add(kFilterModDownId, 0, 1.0);
    rig.process(64);
    EXPECT_FLOAT_EQ(rig.engine().filterModCtl, -3.81f);
}

bool holdsNote(const EngineState& engine, int32 note)
{
    for (const Voice& voice : engine.voices)
        if (voice.note == note) return true;
    return false;
}

TEST(ProcessorEvents, NoteEventsOfUnrenderedBlocksAreKeptOrDroppedAsTheirTimeRequires)
{
    struct Block
    {
        int32 samples;
        double bypass; // < 0: unchanged
        int16 noteOn;  // < 0: none; events at offset 0, the note-off first
        int16 noteOff;
    };
    struct Case
    {
        const char* name;
        std::vector<Block> blocks;
        bool held60;
    } cases[] = {
        {"note-off while bypassed",
         {{256, -1, 60, -1}, {256, 1, -1, -1}, {256, -1, -1, 60}, {256, 0, -1, -1}},
         false},
        {"note-off in a block without samples",
         {{256, -1, 60, -1}, {0, -1, -1, 60}, {256, -1, 72, -1}},
         false},
        {"note-off while bypassed in a block without samples",
         {{256, -1, 60, -1}, {256, 1, -1, -1}, {0, -1, -1, 60}, {256, -1, 72, -1}, {64, 0, -1, -1}},
         false},
        {"note-on while bypassed", {{256, 1, -1, -1}, {256, -1, 60, -1}, {256, 0, -1, -1}}, false},
        {"note-on of a block without samples", {{0, -1, 60, -1}, {256, -1, 72, -1}}, true},
        {"before the next block's own events", {{0, -1, 60, -1}, {256, -1, -1, 60}}, false},
    };
    for (const Case& c : cases)
    {
        ProcessorRig rig;
        for (const Block& block : c.blocks)
        {
            if (block.bypass >= 0) rig.changes.add(kBypassParamId, 0, block.bypass);
            if (block.noteOff >= 0) rig.events.addNoteOff(0, block.noteOff);
            if (block.noteOn >= 0) rig.events.addNoteOn(0, block.noteOn, 0.8f);
            rig.process(block.samples);
        }
        EXPECT_EQ(holdsNote(rig.engine(), 60), c.held60) << c.name;
    }
}

TEST(ProcessorActivation, RestartStartsSilentAndPlaysTheSameMaterialAlike)
{
    ProcessorRig rig(48000.0, 512);
    auto perform = [&rig] {
        rig.events.addNoteOn(0, 60, 0.9f);
        rig.events.addNoteOn(7, 64, 0.6f);
        std::vector<float> out;
        for (int32 block = 0; block < 8; ++block)
        {
            rig.process(512);
            out.insert(out.end(), rig.left(), rig.left() + 512);
        }
        return out;
    };
    rig.changes.add(kModWheelId, 0, 0.7);
    rig.changes.add(kPitchBendId, 0, 0.8);
    rig.changes.add(kVcfFreq, 0, 0.4);
    rig.process(0);
    const std::vector<float> first = perform(); // the notes stay held

    rig.processor->setActive(false);
    ProcessSetup faster{kRealtime, kSample32, 512, 96000.0};
    rig.processor->setupProcessing(faster);
    rig.processor->setActive(true);
    rig.processor->setActive(false);
    ProcessSetup same{kRealtime, kSample32, 512, 48000.0};
    rig.processor->setupProcessing(same);
    rig.processor->setActive(true);

    const EngineState& engine = rig.engine();
    for (const Voice& voice : engine.voices)
        EXPECT_EQ(voice.amp.level, 0.0f);
    EXPECT_EQ(engine.activeVoices, 0);
    EXPECT_EQ(engine.eventBuffer[0], kEventTerminator);
    EXPECT_NEAR(engine.modWheel, 0.0395, 1e-4);           // performance controllers kept
    EXPECT_EQ(rig.processor->paramValues[kVcfFreq], 0.4); // and the parameter values
    rig.process(256);
    EXPECT_EQ(TestRig::peak(rig.left(), 256), 0.0f);

    EXPECT_EQ(perform(), first);

    rig.changes.add(kBypassParamId, 0, 1.0);
    rig.process(0);
    rig.processor->setActive(false);
    rig.processor->setActive(true);
    EXPECT_EQ(saveState(rig.processor)[196], 1); // bypass kept
}

TEST(ProcessorTail, IsTheAmplitudeReleaseFromFullLevelToIdle)
{
    struct Case
    {
        double envRel;
        double sampleRate;
    } cases[] = {{0.0, 44100.0}, {0.3, 44100.0}, {0.71, 48000.0}, {1.0, 44100.0}, {1.0, 96000.0}};
    for (const Case& c : cases)
    {
        ProcessorRig rig(c.sampleRate, 256);
        rig.changes.add(kEnvRel, 0, c.envRel);
        rig.process(0); // the tail follows recalc
        const float rate = rig.engine().ampRelease;
        uint32 samples = 0;
        for (float env = 1.0f; env > kVoiceIdleLevel; ++samples)
            env = env + (0.0f - env) * rate;
        const uint32 tail = rig.processor->getTailSamples();
        // Computed, not stepped: within the rounding that single-precision steps accumulate.
        EXPECT_NEAR(tail, samples, 1 + samples / 500) << c.envRel << " " << c.sampleRate;
    }
}

TEST(ProcessorState, StateSetDuringPlaybackSoundsAsIfAppliedAtOnce)
{
    // The same values reach one rig as a state set between two blocks and the other as
    // parameter changes at the start of the second block: both must sound the same.
    ProcessorRig withState;
    ProcessorRig withChanges;
    const std::pair<ParamID, double> sound[] = {
        {kGlide, 0.9}, {kVcfFreq, 0.35}, {kEnvRel, 0.2}, {kOscTune, 0.8}, {kGlideRate, 0.6}};
    for (ProcessorRig* rig : {&withState, &withChanges})
    {
        rig->events.addNoteOn(0, 60, 0.9f);
        rig->process(300);
    }
    std::vector<char> state = saveState(withState.processor);
    for (const auto& [id, value] : sound)
    {
        putDouble(state, id, value);
        withChanges.changes.add(id, 0, value);
    }
    loadState(withState.processor, state);
    EXPECT_EQ(saveState(withState.processor), state);
    for (ProcessorRig* rig : {&withState, &withChanges})
    {
        rig->events.addNoteOn(5, 67, 0.7f);
        rig->process(700);
    }
    EXPECT_EQ(std::memcmp(withState.left(), withChanges.left(), 700 * sizeof(float)), 0);
    EXPECT_EQ(saveState(withState.processor), saveState(withChanges.processor));
}

} // namespace
