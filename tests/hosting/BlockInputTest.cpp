// SPDX-License-Identifier: GPL-3.0-or-later
// What a host hands a plug-in for a block: MIDI messages translated into note events and
// parameter changes through the controller's mapping, the keys a panic releases, the block split
// into pieces, and the lists each piece hands to process().
#include "BlockInput.h"
#include "EventList.h"
#include "MidiMappingTable.h"
#include "MidiTranslator.h"
#include "ParameterChanges.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik::Hosting;
using Steinberg::Vst::Tarvik::TestSupport::MidiMappingTable;

namespace {

constexpr ParamID kWheelParam = 0x6D6F6477;
constexpr ParamID kBendParam = 0x70697462;
constexpr ParamID kTouchParam = 0x61667474;

using Bytes = std::vector<uint8>;

struct Heard : MidiTranslator::Listener
{
    void programChange(int program) override { programs.push_back(program); }
    void parameterChange(ParamID id, ParamValue value) override { changes.emplace_back(id, value); }
    std::vector<int> programs;
    std::vector<std::pair<ParamID, ParamValue>> changes;
};

bool translate(MidiTranslator& translator, int32 offset, Bytes bytes, BlockInput& input)
{
    bytes.resize(3);
    return translator.translate(offset, bytes.data(), input);
}

TEST(MidiTranslator, MessagesBecomeEventsAndParameterChanges)
{
    // CC 1 drives the mod wheel, aftertouch and pitch bend their parameters, on every channel.
    MidiMappingTable mapping{
        {{1, kWheelParam}, {kAfterTouch, kTouchParam}, {kPitchBend, kBendParam}}};
    const struct
    {
        Bytes bytes;
        int events; // note events produced
        int32 type; // of the first event
        int16 pitch;
        float velocity;
        ParamID changed; // parameter changed, or kNoParamId
        double value;
        int program; // program change heard, or -1
    } cases[] = {
        {{0x90, 60, 127}, 1, Event::kNoteOnEvent, 60, 1.0f, kNoParamId, 0, -1},
        {{0x93, 61, 0}, 1, Event::kNoteOffEvent, 61, 0.0f, kNoParamId, 0, -1}, // velocity 0
        {{0x80, 62, 127}, 1, Event::kNoteOffEvent, 62, 1.0f, kNoParamId, 0, -1},
        {{0xB0, 123, 0}, 0, 0, 0, 0, kNoParamId, 0, -1}, // all notes off, no key down
        {{0xB5, 120, 0}, 0, 0, 0, 0, kNoParamId, 0, -1}, // all sound off, no key down
        {{0xB0, 1, 127}, 0, 0, 0, 0, kWheelParam, 1.0, -1},
        {{0xBF, 1, 0}, 0, 0, 0, 0, kWheelParam, 0.0, -1},
        {{0xB0, 7, 100}, 0, 0, 0, 0, kNoParamId, 0, -1}, // not mapped
        {{0xD0, 127, 0}, 0, 0, 0, 0, kTouchParam, 1.0, -1},
        {{0xE0, 0x7F, 0x7F}, 0, 0, 0, 0, kBendParam, 1.0, -1},
        {{0xE0, 0, 0x40}, 0, 0, 0, 0, kBendParam, 8192 / 16383.0, -1},
        {{0xA0, 60, 50}, 0, 0, 0, 0, kNoParamId, 0, -1},  // pressure
        {{0x45, 60, 100}, 0, 0, 0, 0, kNoParamId, 0, -1}, // running status
        {{0xF0, 0x7E, 0}, 0, 0, 0, 0, kNoParamId, 0, -1}, // system message
        {{0xC3, 5, 0}, 0, 0, 0, 0, kNoParamId, 0, 5},     // program change
        {{0x90, 0xFF, 0xFF}, 1, Event::kNoteOnEvent, 0x7F, 1.0f, kNoParamId, 0, -1}, // masked
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        MidiTranslator translator;
        Heard heard;
        translator.readMapping(&mapping);
        translator.setListener(&heard);
        BlockInput input;
        input.reserveParameters(4);
        EXPECT_TRUE(translate(translator, 42, c.bytes, input));
        ASSERT_EQ(input.events().getEventCount(), c.events);
        if (c.events > 0)
        {
            Event e{};
            ASSERT_EQ(input.events().getEvent(0, e), kResultOk);
            EXPECT_EQ(e.type, c.type);
            EXPECT_EQ(e.sampleOffset, 42);
            EXPECT_EQ(e.type == Event::kNoteOnEvent ? e.noteOn.pitch : e.noteOff.pitch, c.pitch);
            EXPECT_EQ(e.type == Event::kNoteOnEvent ? e.noteOn.velocity : e.noteOff.velocity,
                      c.velocity);
        }
        ParameterChanges changes;
        input.changesIn(0, 64, changes);
        ASSERT_EQ(changes.getParameterCount(), c.changed == kNoParamId ? 0 : 1);
        EXPECT_EQ(heard.programs, c.program < 0 ? std::vector<int>{} : std::vector<int>{c.program});
        if (c.changed == kNoParamId) continue;
        IParamValueQueue* queue = changes.getParameterData(0);
        EXPECT_EQ(queue->getParameterId(), c.changed);
        int32 offset = 0;
        ParamValue value = 0;
        ASSERT_EQ(queue->getPoint(0, offset, value), kResultOk);
        EXPECT_EQ(offset, 42);
        EXPECT_EQ(value, c.value);
        const std::vector<std::pair<ParamID, ParamValue>> told = {{c.changed, c.value}};
        EXPECT_EQ(heard.changes, told);
    }
}

TEST(MidiTranslator, APanicReleasesTheKeysDownOnItsChannelAndNothingElse)
{
    const struct
    {
        const char* what;
        std::vector<Bytes> before;
        Bytes panic;
        int32 room; // note events the panic's block takes
        std::vector<int16> released;
        std::vector<int16> releasedAgain; // by the same panic given again, in a fresh block
    } cases[] = {
        {"nothing down", {}, {0xB0, 123, 0}, 64, {}, {}},
        {"two keys down", {{0x90, 64, 100}, {0x90, 60, 100}}, {0xB0, 123, 0}, 64, {60, 64}, {}},
        {"keys released before",
         {{0x90, 60, 100}, {0x90, 64, 100}, {0x80, 60, 0}, {0x90, 64, 0}},
         {0xB0, 120, 0},
         64,
         {},
         {}},
        {"other channels keep theirs",
         {{0x91, 60, 100}, {0x90, 62, 1}},
         {0xB0, 123, 0},
         64,
         {62},
         {}},
        {"struck twice", {{0x95, 60, 100}, {0x95, 60, 90}}, {0xB5, 123, 0}, 64, {60}, {}},
        {"a second panic finds nothing",
         {{0x90, 60, 100}, {0xB0, 123, 0}},
         {0xB0, 120, 0},
         64,
         {},
         {}},
        {"what a full block cannot take stays down",
         {{0x90, 50, 100}, {0x90, 40, 100}, {0x90, 45, 100}},
         {0xB0, 123, 0},
         2,
         {40, 45},
         {50}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        MidiTranslator translator;
        BlockInput earlier;
        for (const Bytes& message : c.before)
            EXPECT_TRUE(translate(translator, 0, message, earlier));
        for (const std::vector<int16>* expected : {&c.released, &c.releasedAgain})
        {
            BlockInput input(c.room);
            const bool complete = translate(translator, 42, c.panic, input);
            EXPECT_EQ(complete, expected != &c.released || c.releasedAgain.empty());
            std::vector<int16> released;
            Event e{};
            for (int32 i = 0; i < input.events().getEventCount(); ++i)
            {
                ASSERT_EQ(input.events().getEvent(i, e), kResultOk);
                ASSERT_EQ(e.type, Event::kNoteOffEvent);
                EXPECT_EQ(e.sampleOffset, 42);
                EXPECT_EQ(e.noteOff.channel, c.panic[0] & 0x0F);
                released.push_back(e.noteOff.pitch);
            }
            EXPECT_EQ(released, *expected);
        }
    }
}

TEST(BlockInput, PiecesGetTheirOwnChangesAndOffsetsStayInTheBlock)
{
    BlockInput input;
    input.reserveParameters(4);
    input.addMidiChange(kWheelParam, 300, 0.9);
    input.addMidiChange(kWheelParam, 10, 0.1);
    input.addMidiChange(kBendParam, 0, 0.25);
    input.addHostChange(kBendParam, 0.5); // made before the block, arriving after its MIDI
    input.addNoteOn(5000, 0, 62, 1.0f);
    input.addNoteOn(-4, 0, 60, 1.0f);
    input.prepare(256);

    Event e{};
    input.events().getEvent(0, e); // in time order now
    EXPECT_EQ(e.sampleOffset, 0);
    EXPECT_EQ(e.noteOn.pitch, 60);
    input.events().getEvent(1, e);
    EXPECT_EQ(e.sampleOffset, 255);

    ParameterChanges first;
    input.changesIn(0, 128, first);
    ASSERT_EQ(first.getParameterCount(), 2);
    int32 offset = 0;
    ParamValue value = 0;
    IParamValueQueue* bend = first.getParameterData(0);
    ASSERT_EQ(bend->getPointCount(), 1);
    bend->getPoint(0, offset, value);
    EXPECT_EQ(value, 0.25); // the block's own move comes after the host's
    IParamValueQueue* wheel = first.getParameterData(1);
    ASSERT_EQ(wheel->getPointCount(), 1);
    wheel->getPoint(0, offset, value);
    EXPECT_EQ(offset, 10);
    EXPECT_EQ(value, 0.1);

    ParameterChanges second;
    input.changesIn(128, 128, second);
    ASSERT_EQ(second.getParameterCount(), 1);
    second.getParameterData(0)->getPoint(0, offset, value);
    EXPECT_EQ(offset, 255 - 128); // 300 was moved inside the block
    EXPECT_EQ(value, 0.9);
}

TEST(BlockInput, PiecesCarryAtMostWhatTheirListTakesAndNothingIsLost)
{
    struct Piece
    {
        int32 start;
        int32 length;
        int32 events;
    };
    const struct
    {
        const char* what;
        int32 events;
        int32 (*offset)(int32 i); // of event i
        std::vector<Piece> pieces;
        std::vector<Piece> nextBlock; // of events kept for it
    } cases[] = {
        {"one a sample", 600, [](int32 i) { return i; }, {{0, 512, 512}, {512, 512, 88}}, {}},
        {"all on one sample",
         1100,
         [](int32) { return 100; },
         {{0, 100, 0}, {100, 1, 512}, {101, 1, 512}, {102, 922, 76}},
         {}},
        {"all on the last sample",
         1100,
         [](int32) { return 1023; },
         {{0, 1023, 0}, {1023, 1, 512}},
         {{0, 1, 512}, {1, 1023, 76}}},
        {"out of order",
         700,
         [](int32 i) { return 699 - i; },
         {{0, 512, 512}, {512, 512, 188}},
         {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        BlockInput input;
        EventList pieceEvents(512);
        ParameterChanges pieceChanges;
        for (int32 i = 0; i < c.events; ++i)
            input.addNoteOn(c.offset(i), 0, static_cast<int16>(i % 128), 1.0f);
        for (const std::vector<Piece>* expected : {&c.pieces, &c.nextBlock})
        {
            if (expected->empty()) continue;
            std::vector<Piece> pieces;
            input.renderPieces(1024, 1024, pieceEvents, pieceChanges,
                               [&](int32 start, int32 length) {
                                   pieces.push_back({start, length, pieceEvents.getEventCount()});
                                   Event e{};
                                   int32 previous = 0;
                                   for (int32 i = 0; i < pieceEvents.getEventCount(); ++i)
                                   {
                                       EXPECT_EQ(pieceEvents.getEvent(i, e), kResultOk);
                                       EXPECT_GE(e.sampleOffset, previous);
                                       EXPECT_LT(e.sampleOffset, length);
                                       previous = e.sampleOffset;
                                   }
                                   return true;
                               });
            ASSERT_EQ(pieces.size(), expected->size());
            for (size_t i = 0; i < pieces.size(); ++i)
            {
                EXPECT_EQ(pieces[i].start, (*expected)[i].start) << i;
                EXPECT_EQ(pieces[i].length, (*expected)[i].length) << i;
                EXPECT_EQ(pieces[i].events, (*expected)[i].events) << i;
            }
        }
    }
}

TEST(ParameterChanges, AFullQueueRefusesOrKeepsTheNewestAsItWasMade)
{
    using Point = std::pair<int32, ParamValue>;
    const struct
    {
        const char* what;
        FullQueue whenFull;
        std::vector<Point> added;
        std::vector<bool> taken;
        std::vector<Point> held;
    } cases[] = {
        {"points come in time order",
         FullQueue::kRefusePoint,
         {{30, 0.3}, {10, 0.1}, {20, 0.2}, {10, 0.15}},
         {true, true, true, true},
         {{10, 0.15}, {20, 0.2}, {30, 0.3}}},
        {"full: refused",
         FullQueue::kRefusePoint,
         {{0, 0.0}, {1, 0.1}, {2, 0.2}, {3, 0.3}},
         {true, true, true, false},
         {{0, 0.0}, {1, 0.1}, {2, 0.2}}},
        {"full: the newest replaces the last",
         FullQueue::kKeepNewestPoint,
         {{0, 0.0}, {1, 0.1}, {2, 0.2}, {3, 0.3}, {9, 0.9}},
         {true, true, true, true, true},
         {{0, 0.0}, {1, 0.1}, {9, 0.9}}},
        {"full: an earlier point cannot change the end",
         FullQueue::kKeepNewestPoint,
         {{0, 0.0}, {4, 0.4}, {8, 0.8}, {2, 0.2}, {8, 0.85}},
         {true, true, true, false, true},
         {{0, 0.0}, {4, 0.4}, {8, 0.85}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        ParameterChanges changes(1, 3, c.whenFull);
        for (size_t i = 0; i < c.added.size(); ++i)
            EXPECT_EQ(changes.add(7, c.added[i].first, c.added[i].second), c.taken[i]) << i;
        EXPECT_FALSE(changes.add(8, 0, 0.5)) << "no second queue";
        ASSERT_EQ(changes.getParameterCount(), 1);
        IParamValueQueue* queue = changes.getParameterData(0);
        std::vector<Point> held;
        for (int32 i = 0; i < queue->getPointCount(); ++i)
        {
            Point point;
            queue->getPoint(i, point.first, point.second);
            held.push_back(point);
        }
        EXPECT_EQ(held, c.held);
    }
}

} // namespace
