// SPDX-License-Identifier: GPL-3.0-or-later
#include "MidiDelivery.h"
#include "MidiBytes.h"
#include "MidiMappingTable.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <tuple>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {
namespace {

using Hosting::BlockInput;
using TestSupport::MidiBytes;
using TestSupport::MidiTrack;

constexpr double kRate = 48000.0;
constexpr ParamID kModId = 100;
constexpr ParamID kFilterId = 101;
constexpr ParamID kPressureId = 102;
constexpr ParamID kBendId = 103;

/** Maps mod wheel, controller 74 (sound controller 5), aftertouch and pitch bend, on the first
 *  channel only. */
struct FirstChannelMapping : Tarvik::TestSupport::MidiMappingTable
{
    FirstChannelMapping()
        : MidiMappingTable({{kCtrlModWheel, kModId},
                            {74, kFilterId},
                            {kAfterTouch, kPressureId},
                            {kPitchBend, kBendId}},
                           0)
    {}
};

class RecordingController : public EditController
{
public:
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE
    {
        received.emplace_back(id, value);
        return kResultOk;
    }
    std::vector<std::pair<ParamID, ParamValue>> received;
};

struct Delivered
{
    std::vector<std::pair<int64, Event>> events;
    std::vector<std::tuple<int64, ParamID, ParamValue>> changes;
    std::vector<int32> pieceLengths;
};

/** Runs the delivery over the whole file in blocks, rendered in pieces of at most pieceEvents
    note events as brask-render renders them, recording absolute positions. */
Delivered deliver(MidiDelivery& delivery, const MidiFile& file, int32 blockSize,
                  int32 pieceEvents = 512, int32 blockEvents = BlockInput::kMaxEvents)
{
    delivery.schedule(file, kRate);
    BlockInput block(blockEvents);
    block.reserveParameters(16);
    Hosting::EventList events(pieceEvents);
    Hosting::ParameterChanges changes(16, 64, Hosting::FullQueue::kKeepNewestPoint);
    Delivered out;
    for (int64 position = 0; position < 100000000; position += blockSize)
    {
        if (delivery.finished() && block.events().getEventCount() == 0) break;
        delivery.fill(position, blockSize, block);
        block.renderPieces(blockSize, blockSize, events, changes, [&](int32 start, int32 length) {
            out.pieceLengths.push_back(length);
            for (int32 i = 0; i < events.getEventCount(); ++i)
            {
                Event e{};
                events.getEvent(i, e);
                EXPECT_LT(e.sampleOffset, length);
                out.events.emplace_back(position + start + e.sampleOffset, e);
            }
            for (int32 q = 0; q < changes.getParameterCount(); ++q)
            {
                IParamValueQueue* queue = changes.getParameterData(q);
                for (int32 p = 0; p < queue->getPointCount(); ++p)
                {
                    int32 offset = 0;
                    ParamValue value = 0;
                    queue->getPoint(p, offset, value);
                    EXPECT_LT(offset, length);
                    out.changes.emplace_back(position + start + offset, queue->getParameterId(),
                                             value);
                }
            }
            return true;
        });
    }
    return out;
}

MidiFile parsed(const MidiBytes& midi)
{
    MidiFile file;
    std::string error;
    EXPECT_TRUE(MidiFile::parse(midi.bytes(), file, error)) << error;
    return file;
}

TEST(MidiDelivery, NotesArriveAtTheirSampleWithVelocityAndChannel)
{
    MidiBytes midi(0, 480); // 120 BPM: 480 ticks are 24000 samples
    midi.track()
        .noteOn(480, 2, 60, 100)
        .noteOn(480, 2, 60, 0) // a note-on without velocity ends the note
        .noteOn(1, 15, 72, 127)
        .noteOff(479, 15, 72, 64)
        .end();
    MidiDelivery delivery(nullptr, nullptr);
    const Delivered got = deliver(delivery, parsed(midi), 512);

    ASSERT_EQ(got.events.size(), 4u);
    const auto& [onAt, on] = got.events[0];
    EXPECT_EQ(onAt, 24000);
    EXPECT_EQ(on.type, Event::kNoteOnEvent);
    EXPECT_EQ(on.noteOn.pitch, 60);
    EXPECT_EQ(on.noteOn.channel, 2);
    EXPECT_FLOAT_EQ(on.noteOn.velocity, 100 / 127.0f);

    EXPECT_EQ(got.events[1].first, 48000);
    EXPECT_EQ(got.events[1].second.type, Event::kNoteOffEvent);
    EXPECT_EQ(got.events[1].second.noteOff.pitch, 60);
    EXPECT_EQ(got.events[1].second.noteOff.velocity, 0.0f);

    EXPECT_EQ(got.events[2].first, 48050); // one tick is 50 samples
    EXPECT_EQ(got.events[2].second.noteOn.channel, 15);
    EXPECT_EQ(got.events[2].second.noteOn.velocity, 1.0f);

    EXPECT_EQ(got.events[3].first, 72000);
    EXPECT_EQ(got.events[3].second.type, Event::kNoteOffEvent);
    EXPECT_FLOAT_EQ(got.events[3].second.noteOff.velocity, 64 / 127.0f);
}

TEST(MidiDelivery, ControllersReachTheMappedParametersAndTheController)
{
    MidiBytes midi(0, 480);
    midi.track()
        .controller(0, 0, 1, 127)  // mod wheel
        .controller(10, 0, 7, 100) // volume: not mapped
        .controller(10, 0, 74, 32) // cutoff
        .event(10, {0xD0, 64})     // channel aftertouch
        .pitchBend(10, 0, 0x3FFF)
        .pitchBend(10, 0, 0x2000)
        .pitchBend(10, 1, 0)       // a channel the mapping leaves out
        .event(10, {0xA0, 60, 50}) // polyphonic pressure: no parameter
        .end();
    FirstChannelMapping mapping;
    IPtr<RecordingController> controller = owned(new RecordingController());
    MidiDelivery delivery(&mapping, controller);
    const Delivered got = deliver(delivery, parsed(midi), 256);

    EXPECT_TRUE(got.events.empty());
    using Change = std::tuple<int64, ParamID, ParamValue>;
    const std::vector<Change> expected = {
        {0, kModId, 1.0},     {1000, kFilterId, 32 / 127.0},   {1500, kPressureId, 64 / 127.0},
        {2000, kBendId, 1.0}, {2500, kBendId, 8192 / 16383.0},
    };
    EXPECT_EQ(got.changes, expected);

    std::vector<std::pair<ParamID, ParamValue>> mirrored;
    for (const auto& [at, id, value] : expected)
        mirrored.emplace_back(id, value);
    EXPECT_EQ(controller->received, mirrored);
}

TEST(MidiDelivery, WhatDoesNotFitComesLaterAndNothingIsLost)
{
    using Note = std::pair<int64, int16>; // position, pitch
    const struct
    {
        const char* what;
        std::function<void(MidiTrack&)> play;
        int32 pieceEvents;
        int32 blockEvents;
        std::vector<Note> expected;
        std::vector<int32> firstPieces;
    } cases[] = {
        {"a busy block is played in pieces",
         [](MidiTrack& t) {
             for (int i = 0; i < 6; ++i)
                 t.noteOn(1, 0, 40 + i, 90).controller(0, 0, 1, i);
         },
         4,
         BlockInput::kMaxEvents,
         {{50, 40}, {100, 41}, {150, 42}, {200, 43}, {250, 44}, {300, 45}},
         {250, 262}},
        {"what overfills a piece's first sample comes one sample later",
         [](MidiTrack& t) {
             for (int i = 0; i < 6; ++i)
                 t.noteOn(0, 0, 40 + i, 90);
             t.noteOn(480, 0, 80, 90);
         },
         4,
         BlockInput::kMaxEvents,
         {{0, 40}, {0, 41}, {0, 42}, {0, 43}, {1, 44}, {1, 45}, {24000, 80}},
         {1, 511}},
        {"what overfills a block comes at the next block's first sample",
         [](MidiTrack& t) {
             for (int i = 0; i < 6; ++i)
                 t.noteOn(0, 0, 40 + i, 90);
         },
         512,
         4,
         {{0, 40}, {0, 41}, {0, 42}, {0, 43}, {512, 44}, {512, 45}},
         {512, 512}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        MidiBytes midi(0, 480);
        MidiTrack& track = midi.track();
        c.play(track);
        track.end();
        FirstChannelMapping mapping;
        MidiDelivery delivery(&mapping, nullptr);
        const Delivered got = deliver(delivery, parsed(midi), 512, c.pieceEvents, c.blockEvents);

        std::vector<Note> notes;
        for (const auto& [at, e] : got.events)
            notes.emplace_back(at, e.noteOn.pitch);
        EXPECT_EQ(notes, c.expected);
        // Each controller move arrives at its note's sample.
        for (size_t i = 0; i < got.changes.size(); ++i)
            EXPECT_EQ(std::get<0>(got.changes[i]), c.expected[i].first);
        ASSERT_GE(got.pieceLengths.size(), c.firstPieces.size());
        EXPECT_EQ(std::vector<int32>(got.pieceLengths.begin(),
                                     got.pieceLengths.begin() +
                                         static_cast<std::ptrdiff_t>(c.firstPieces.size())),
                  c.firstPieces);
    }
}

TEST(MidiDelivery, AllNotesOffReleasesTheKeysThatAreDownOnItsChannel)
{
    // (position, note-on?, channel, pitch) of every event delivered.
    using Note = std::tuple<int64, bool, int16, int16>;
    const auto notes = [](const Delivered& got) {
        std::vector<Note> list;
        for (const auto& [at, e] : got.events)
        {
            const bool on = e.type == Event::kNoteOnEvent;
            list.emplace_back(at, on, on ? e.noteOn.channel : e.noteOff.channel,
                              on ? e.noteOn.pitch : e.noteOff.pitch);
        }
        return list;
    };
    const struct
    {
        const char* what;
        std::function<void(MidiTrack&)> play;
        int32 eventCapacity;
        std::vector<Note> expected;
    } cases[] = {
        {"only keys still down, on the message's channel, at its sample",
         [](MidiTrack& t) {
             t.noteOn(0, 0, 64, 90).noteOn(0, 0, 60, 90).noteOn(0, 0, 67, 90).noteOff(0, 0, 67);
             t.noteOn(0, 1, 50, 90).noteOn(0, 0, 72, 90).noteOn(1, 0, 72, 0);
             t.controller(9, 0, 123, 0).controller(0, 0, 120, 0).noteOn(0, 0, 62, 90);
             t.controller(10, 1, 120, 0);
         },
         512,
         {{0, true, 0, 64},
          {0, true, 0, 60},
          {0, true, 0, 67},
          {0, false, 0, 67},
          {0, true, 1, 50},
          {0, true, 0, 72},
          {50, false, 0, 72},
          {500, false, 0, 60},
          {500, false, 0, 64},
          {500, true, 0, 62},
          {1000, false, 1, 50}}},
        {"more note-offs than a block holds arrive a sample apart",
         [](MidiTrack& t) {
             for (int key = 0; key < 6; ++key)
                 t.noteOn(0, 2, 40 + key, 90);
             t.controller(2, 2, 123, 0).noteOn(0, 2, 80, 90);
         },
         4,
         {{0, true, 2, 40},
          {0, true, 2, 41},
          {0, true, 2, 42},
          {0, true, 2, 43},
          {1, true, 2, 44},
          {1, true, 2, 45},
          {100, false, 2, 40},
          {100, false, 2, 41},
          {100, false, 2, 42},
          {100, false, 2, 43},
          {101, false, 2, 44},
          {101, false, 2, 45},
          {101, true, 2, 80}}},
    };
    for (const auto& c : cases)
    {
        MidiBytes midi(0, 480);
        MidiTrack& track = midi.track();
        c.play(track);
        track.end();
        MidiDelivery delivery(nullptr, nullptr);
        EXPECT_EQ(notes(deliver(delivery, parsed(midi), 512, c.eventCapacity)), c.expected)
            << c.what;
    }
}

} // namespace
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
