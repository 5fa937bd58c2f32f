// SPDX-License-Identifier: GPL-3.0-or-later
// The wrapper's parts on their own: MIDI translation, the parameter queue between threads, and
// the editor's frame and run loop with a stand-in view.
#include "BlockInput.h"
#include "MidiTranslator.h"
#include "ParameterQueue.h"
#include "Vst2EditorHost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

constexpr ParamID kWheelParam = 0x6D6F6477;
constexpr ParamID kBendParam = 0x70697462;
constexpr ParamID kTouchParam = 0x61667474;

/** CC 1 drives the mod wheel, aftertouch and pitch bend their parameters; bus 0 only. */
class TestMapping : public IMidiMapping
{
public:
    tresult PLUGIN_API getMidiControllerAssignment(int32 bus, int16 /*channel*/, CtrlNumber number,
                                                   ParamID& id) SMTG_OVERRIDE
    {
        if (bus != 0) return kResultFalse;
        switch (number)
        {
        case 1:
            id = kWheelParam;
            return kResultOk;
        case kAfterTouch:
            id = kTouchParam;
            return kResultOk;
        case kPitchBend:
            id = kBendParam;
            return kResultOk;
        default:
            return kResultFalse;
        }
    }
    tresult PLUGIN_API queryInterface(const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }
};

struct Translated
{
    std::vector<Event> events;
    BlockParameterChanges changes;
};

void translate(MidiTranslator& translator, int offset, std::vector<unsigned char> bytes,
               BlockInput& input)
{
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof midi;
    midi.deltaFrames = offset;
    std::memcpy(midi.midiData, bytes.data(), std::min<size_t>(bytes.size(), 4));
    char list[sizeof(VstEvents) + sizeof(VstEvent*)] = {};
    auto* events = reinterpret_cast<VstEvents*>(list);
    events->numEvents = 1;
    events->events[0] = reinterpret_cast<VstEvent*>(&midi);
    translator.translate(events, input);
}

TEST(MidiTranslator, MessagesBecomeEventsAndParameterChanges)
{
    TestMapping mapping;
    const struct
    {
        std::vector<unsigned char> bytes;
        int events; // note events produced
        int32 type; // of the first event
        int16 pitch;
        float velocity;
        ParamID changed; // parameter changed, or kNoParamId
        double value;
    } cases[] = {
        {{0x90, 60, 127}, 1, Event::kNoteOnEvent, 60, 1.0f, kNoParamId, 0},
        {{0x93, 61, 0}, 1, Event::kNoteOffEvent, 61, 0.0f, kNoParamId, 0}, // velocity 0
        {{0x80, 62, 127}, 1, Event::kNoteOffEvent, 62, 1.0f, kNoParamId, 0},
        {{0xB0, 123, 0}, 0, 0, 0, 0, kNoParamId, 0}, // all notes off, no key down
        {{0xB5, 120, 0}, 0, 0, 0, 0, kNoParamId, 0}, // all sound off, no key down
        {{0xB0, 1, 127}, 0, 0, 0, 0, kWheelParam, 1.0},
        {{0xBF, 1, 0}, 0, 0, 0, 0, kWheelParam, 0.0},
        {{0xB0, 7, 100}, 0, 0, 0, 0, kNoParamId, 0}, // not mapped
        {{0xD0, 127, 0}, 0, 0, 0, 0, kTouchParam, 1.0},
        {{0xE0, 0x7F, 0x7F}, 0, 0, 0, 0, kBendParam, 1.0},
        {{0xE0, 0, 0x40}, 0, 0, 0, 0, kBendParam, 8192 / 16383.0},
        {{0x45, 60, 100}, 0, 0, 0, 0, kNoParamId, 0},                            // running status
        {{0xF0, 0x7E, 0}, 0, 0, 0, 0, kNoParamId, 0},                            // system message
        {{0xC0, 5, 0}, 0, 0, 0, 0, kNoParamId, 0},                               // program change
        {{0x90, 0xFF, 0xFF}, 1, Event::kNoteOnEvent, 0x7F, 1.0f, kNoParamId, 0}, // masked
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        MidiTranslator translator;
        translator.readMapping(&mapping);
        BlockInput input;
        translate(translator, 42, c.bytes, input);
        ASSERT_EQ(input.getEventCount(), c.events);
        if (c.events > 0)
        {
            Event e{};
            ASSERT_EQ(input.getEvent(0, e), kResultOk);
            EXPECT_EQ(e.type, c.type);
            EXPECT_EQ(e.sampleOffset, 42);
            EXPECT_EQ(e.type == Event::kNoteOnEvent ? e.noteOn.pitch : e.noteOff.pitch, c.pitch);
            EXPECT_EQ(e.type == Event::kNoteOnEvent ? e.noteOn.velocity : e.noteOff.velocity,
                      c.velocity);
        }
        BlockParameterChanges changes;
        input.changesIn(0, 64, changes);
        ASSERT_EQ(changes.getParameterCount(), c.changed == kNoParamId ? 0 : 1);
        if (c.changed == kNoParamId) continue;
        IParamValueQueue* queue = changes.getParameterData(0);
        EXPECT_EQ(queue->getParameterId(), c.changed);
        int32 offset = 0;
        ParamValue value = 0;
        ASSERT_EQ(queue->getPoint(0, offset, value), kResultOk);
        EXPECT_EQ(offset, 42);
        EXPECT_EQ(value, c.value);
    }
}

TEST(MidiTranslator, APanicReleasesTheKeysDownOnItsChannelAndNothingElse)
{
    using Bytes = std::vector<unsigned char>;
    const struct
    {
        const char* what;
        std::vector<Bytes> before;
        Bytes panic;
        std::vector<int16> released;
    } cases[] = {
        {"nothing down", {}, {0xB0, 123, 0}, {}},
        {"two keys down", {{0x90, 64, 100}, {0x90, 60, 100}}, {0xB0, 123, 0}, {60, 64}},
        {"keys released before",
         {{0x90, 60, 100}, {0x90, 64, 100}, {0x80, 60, 0}, {0x90, 64, 0}},
         {0xB0, 120, 0},
         {}},
        {"other channels keep theirs", {{0x91, 60, 100}, {0x90, 62, 1}}, {0xB0, 123, 0}, {62}},
        {"struck twice", {{0x95, 60, 100}, {0x95, 60, 90}}, {0xB5, 123, 0}, {60}},
        {"a second panic finds nothing", {{0x90, 60, 100}, {0xB0, 123, 0}}, {0xB0, 120, 0}, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        MidiTranslator translator;
        BlockInput earlier;
        for (const Bytes& message : c.before)
            translate(translator, 0, message, earlier);
        BlockInput input;
        translate(translator, 42, c.panic, input);
        std::vector<int16> released;
        Event e{};
        for (int32 i = 0; i < input.getEventCount(); ++i)
        {
            ASSERT_EQ(input.getEvent(i, e), kResultOk);
            ASSERT_EQ(e.type, Event::kNoteOffEvent);
            EXPECT_EQ(e.sampleOffset, 42);
            EXPECT_EQ(e.noteOff.channel, c.panic[0] & 0x0F);
            released.push_back(e.noteOff.pitch);
        }
        EXPECT_EQ(released, c.released);
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
    input.getEvent(0, e); // in time order now
    EXPECT_EQ(e.sampleOffset, 0);
    EXPECT_EQ(e.noteOn.pitch, 60);
    input.getEvent(1, e);
    EXPECT_EQ(e.sampleOffset, 255);

    BlockParameterChanges first;
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

    BlockParameterChanges second;
    input.changesIn(128, 128, second);
    ASSERT_EQ(second.getParameterCount(), 1);
    second.getParameterData(0)->getPoint(0, offset, value);
    EXPECT_EQ(offset, 255 - 128); // 300 was moved inside the block
    EXPECT_EQ(value, 0.9);
}

TEST(BlockInput, PiecesCarryAtMostWhatTheInstrumentTakesAndNothingIsLost)
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
        for (int32 i = 0; i < c.events; ++i)
            input.addNoteOn(c.offset(i), 0, static_cast<int16>(i % 128), 1.0f);
        for (const std::vector<Piece>* expected : {&c.pieces, &c.nextBlock})
        {
            input.prepare(1024);
            std::vector<Piece> pieces;
            for (int32 start = 0; start < 1024 && !expected->empty();)
            {
                BlockInput::Piece piece;
                const int32 length = input.nextPiece(start, 1024 - start, piece);
                pieces.push_back({start, length, piece.getEventCount()});
                Event e{};
                int32 previous = 0;
                for (int32 i = 0; i < piece.getEventCount(); ++i)
                {
                    ASSERT_EQ(piece.getEvent(i, e), kResultOk);
                    EXPECT_GE(e.sampleOffset, previous);
                    EXPECT_LT(e.sampleOffset, length);
                    previous = e.sampleOffset;
                }
                start += length;
            }
            input.finishBlock();
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

TEST(ParameterQueue, ManyProducersOneConsumerAlwaysEndWithTheNewestValues)
{
    constexpr int kParameters = 8;
    constexpr int kPerProducer = 20000;
    ParameterQueue queue(kParameters);
    std::vector<double> seen(kParameters, -1.0);
    bool ordered = true;
    auto drain = [&] {
        int32 index = 0;
        ParamValue value = 0;
        while (queue.pop(index, value))
        {
            // Each producer's values only grow: a parameter never goes back to an older one.
            ordered = ordered && value >= seen[static_cast<size_t>(index)];
            seen[static_cast<size_t>(index)] = value;
        }
    };
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p)
    {
        producers.emplace_back([&queue, p] {
            for (int i = 0; i < kPerProducer; ++i)
            {
                for (int k = p; k < kParameters; k += 4)
                    EXPECT_TRUE(queue.push(k, i / double(kPerProducer)));
            }
        });
    }
    for (int round = 0; round < 2000; ++round)
        drain();
    for (std::thread& t : producers)
        t.join();
    drain();
    EXPECT_TRUE(ordered);
    for (double value : seen)
        EXPECT_EQ(value, (kPerProducer - 1) / double(kPerProducer));

    int32 index = 0;
    ParamValue value = 0;
    EXPECT_FALSE(queue.pop(index, value)); // everything delivered once
    EXPECT_FALSE(queue.push(-1, 0.5));
    EXPECT_FALSE(queue.push(kParameters, 0.5));
}

// ---------------------------------------------------------------------------------------------
// The editor's frame and run loop, with a stand-in view.

struct FakeTimer : public Linux::ITimerHandler, public Linux::IEventHandler
{
    void PLUGIN_API onTimer() SMTG_OVERRIDE { ++ticks; }
    void PLUGIN_API onFDIsSet(Linux::FileDescriptor) SMTG_OVERRIDE { ++wakeups; }
    tresult PLUGIN_API queryInterface(const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return ++refs; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return --refs; }
    int ticks = 0;
    int wakeups = 0;
    uint32 refs = 1;
};

class FakeView : public IPlugView
{
public:
    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) SMTG_OVERRIDE
    {
        return std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
    }
    tresult PLUGIN_API attached(void* parent, FIDString type) SMTG_OVERRIDE
    {
        parentWindow = parent;
        platform = type;
        void* loop = nullptr;
        if (!frame || frame->queryInterface(Linux::IRunLoop::iid, &loop) != kResultOk)
            return kResultFalse;
        runLoop = static_cast<Linux::IRunLoop*>(loop);
        runLoop->registerTimer(&handler, 1);
        runLoop->registerEventHandler(&handler, pipeEnds[0]);
        return kResultOk;
    }
    tresult PLUGIN_API removed() SMTG_OVERRIDE
    {
        runLoop->unregisterTimer(&handler);
        runLoop->unregisterEventHandler(&handler);
        ++removals;
        return kResultOk;
    }
    tresult PLUGIN_API onWheel(float) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API onKeyDown(char16, int16, int16) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API onKeyUp(char16, int16, int16) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API getSize(ViewRect* size) SMTG_OVERRIDE
    {
        *size = ViewRect(0, 0, 778, 465);
        return kResultOk;
    }
    tresult PLUGIN_API onSize(ViewRect* size) SMTG_OVERRIDE
    {
        resizedTo = *size;
        return kResultOk;
    }
    tresult PLUGIN_API onFocus(TBool) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API setFrame(IPlugFrame* f) SMTG_OVERRIDE
    {
        frame = f;
        return kResultOk;
    }
    tresult PLUGIN_API canResize() SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API checkSizeConstraint(ViewRect*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return ++refs; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return --refs; }

    FakeView() { EXPECT_EQ(pipe(pipeEnds), 0); }
    ~FakeView()
    {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
    }

    int pipeEnds[2] = {-1, -1};
    FakeTimer handler;
    IPlugFrame* frame = nullptr;
    Linux::IRunLoop* runLoop = nullptr;
    void* parentWindow = nullptr;
    std::string platform;
    ViewRect resizedTo;
    int removals = 0;
    uint32 refs = 0;
};

/** A controller that hands out the stand-in view (or none), counting the views it made. */
class ViewController : public IEditController
{
public:
    explicit ViewController(FakeView* view) : view(view) {}
    IPlugView* PLUGIN_API createView(FIDString name) SMTG_OVERRIDE
    {
        if (!view || std::strcmp(name, "editor") != 0) return nullptr;
        ++created;
        view->addRef();
        return view;
    }
    tresult PLUGIN_API setComponentState(IBStream*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API setState(IBStream*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API getState(IBStream*) SMTG_OVERRIDE { return kResultOk; }
    int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE { return 0; }
    tresult PLUGIN_API getParameterInfo(int32, ParameterInfo&) SMTG_OVERRIDE
    {
        return kResultFalse;
    }
    tresult PLUGIN_API getParamStringByValue(ParamID, ParamValue, String128) SMTG_OVERRIDE
    {
        return kResultFalse;
    }
    tresult PLUGIN_API getParamValueByString(ParamID, TChar*, ParamValue&) SMTG_OVERRIDE
    {
        return kResultFalse;
    }
    ParamValue PLUGIN_API normalizedParamToPlain(ParamID, ParamValue v) SMTG_OVERRIDE { return v; }
    ParamValue PLUGIN_API plainParamToNormalized(ParamID, ParamValue v) SMTG_OVERRIDE { return v; }
    ParamValue PLUGIN_API getParamNormalized(ParamID) SMTG_OVERRIDE { return 0; }
    tresult PLUGIN_API setParamNormalized(ParamID, ParamValue) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API setComponentHandler(IComponentHandler*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API initialize(FUnknown*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API terminate() SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

    FakeView* view;
    int created = 0;
};

int sizeRequests = 0;
VstIntPtr VSTCALLBACK sizeHost(AEffect*, int opcode, int index, VstIntPtr value, void*, float)
{
    if (opcode == audioMasterSizeWindow && index == 800 && value == 500) ++sizeRequests;
    return 1;
}

TEST(Vst2EditorHost, EmbedsTheViewAndServesItsRunLoopOnIdle)
{
    FakeView view;
    ViewController controller(&view);
    AEffect effect{};
    {
        Vst2EditorHost host(sizeHost, &effect);
        EXPECT_TRUE(host.available(&controller));
        EXPECT_EQ(view.refs, 0u); // the probe's view is released again

        ERect* rect = nullptr;
        ASSERT_TRUE(host.getRect(&controller, &rect));
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, 778);
        EXPECT_EQ(rect->bottom - rect->top, 465);

        int window = 0;
        EXPECT_FALSE(host.open(&controller, nullptr)); // no window to embed in
        ASSERT_TRUE(host.open(&controller, &window));
        EXPECT_EQ(controller.created, 2); // the view of getRect went, open made another
        EXPECT_EQ(view.parentWindow, &window);
        EXPECT_EQ(view.platform, kPlatformTypeX11EmbedWindowID);

        // The timer is due after a millisecond; the descriptor once something is written.
        host.idle();
        EXPECT_EQ(view.handler.wakeups, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(write(view.pipeEnds[1], "x", 1), 1);
        host.idle();
        EXPECT_EQ(view.handler.ticks, 1);
        EXPECT_EQ(view.handler.wakeups, 1);

        ViewRect bigger(0, 0, 800, 500);
        EXPECT_EQ(view.frame->resizeView(&view, &bigger), kResultOk);
        EXPECT_EQ(sizeRequests, 1);
        EXPECT_EQ(view.resizedTo.getWidth(), 800);

        host.close();
        EXPECT_EQ(view.removals, 1);
        EXPECT_EQ(view.frame, nullptr);
        EXPECT_EQ(view.refs, 0u);
        EXPECT_EQ(view.handler.refs, 1u); // the run loop let go of the handler
        host.idle();                      // nothing left to serve
        EXPECT_EQ(view.handler.ticks, 1);

        ASSERT_TRUE(host.open(&controller, &window)); // open again, then closed by destruction
    }
    EXPECT_EQ(view.removals, 2);
    EXPECT_EQ(view.refs, 0u);
}

TEST(Vst2EditorHost, WithoutAViewNothingOpens)
{
    ViewController controller(nullptr);
    AEffect effect{};
    Vst2EditorHost host(sizeHost, &effect);
    int window = 0;
    ERect* rect = reinterpret_cast<ERect*>(&window);
    EXPECT_FALSE(host.available(&controller));
    EXPECT_FALSE(host.getRect(&controller, &rect));
    EXPECT_EQ(rect, nullptr);
    EXPECT_FALSE(host.open(&controller, &window));
    EXPECT_FALSE(host.open(nullptr, &window));
    host.idle();
    host.close();
}

} // namespace
