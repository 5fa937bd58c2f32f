// SPDX-License-Identifier: GPL-3.0-or-later
// The view of a block's events that a piece of the block sees: the events it selects, their
// offsets, and a cost that grows with the list, not with its square.
#include "EventWindow.h"
#include "EventList.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

/** A host list that counts how often it is read. */
class CountingList : public Hosting::EventList
{
public:
    CountingList() : Hosting::EventList(8192) {}
    tresult PLUGIN_API getEvent(int32 index, Event& e) SMTG_OVERRIDE
    {
        ++reads;
        return Hosting::EventList::getEvent(index, e);
    }
    long reads = 0;
};

TEST(EventWindow, SelectsThePiecesEventsAndReadsTheListOnlyOnceOrTwice)
{
    // Offsets out of order, below the block and repeated, as hosts may send them.
    const int32 offsets[] = {-3, 0, 5, 127, 128, 64, 200, 255, 128, 300};
    const struct
    {
        int32 start;
        int32 length;
        std::vector<int32> expected; // offsets the window hands out, in list order
    } cases[] = {
        {0, 128, {0, 0, 5, 127, 64}}, // the first piece also takes what lies before it
        {128, 128, {0, 72, 127, 0}},
        {256, 64, {44}},
        {0, 1000, {0, 0, 5, 127, 128, 64, 200, 255, 128, 300}},
        {400, 10, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.start);
        CountingList list;
        for (const int32 offset : offsets)
            list.addNoteOn(offset, 60, 1.0f);
        EventWindow window(&list, c.start, c.length);
        ASSERT_EQ(window.getEventCount(), static_cast<int32>(c.expected.size()));
        std::vector<int32> seen;
        Event e{};
        for (int32 i = 0; i < window.getEventCount(); ++i)
        {
            ASSERT_EQ(window.getEvent(i, e), kResultOk);
            seen.push_back(e.sampleOffset);
        }
        EXPECT_EQ(seen, c.expected);
        EXPECT_NE(window.getEvent(static_cast<int32>(c.expected.size()), e), kResultOk);
        if (!c.expected.empty())
        {
            ASSERT_EQ(window.getEvent(0, e), kResultOk); // going back still works
            EXPECT_EQ(e.sampleOffset, c.expected[0]);
        }
    }

    // A full list read front to back: a few passes over it, however long it is.
    for (const int32 size : {64, 512, 4096})
    {
        CountingList list;
        for (int32 i = 0; i < size; ++i)
            list.addNoteOff(i % 256, static_cast<int16>(i % 128));
        EventWindow window(&list, 0, 256);
        const int32 count = window.getEventCount();
        Event e{};
        for (int32 i = 0; i < count; ++i)
            window.getEvent(i, e);
        EXPECT_LE(list.reads, 3L * size) << size;
    }
}

} // namespace
