// SPDX-License-Identifier: GPL-3.0-or-later
// BlockInput: what the host hands over for the next processReplacing call, note events and
// timed parameter changes, kept in storage of fixed size so the audio thread never allocates.
// The events are an IEventList of their own; the changes are handed out per piece of a block.
#pragma once

#include "BlockParameterChanges.h"

#include "pluginterfaces/vst/ivstevents.h"

#include <array>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BlockInput : public IEventList
{
public:
    static constexpr int32 kMaxEvents = 2048;
    static constexpr int32 kMaxChanges = 1024;

    virtual ~BlockInput() = default;

    void clear();
    /** False when the block already holds kMaxEvents events; the event is then dropped. */
    bool addNoteOn(int32 sampleOffset, int16 channel, int16 pitch, float velocity);
    bool addNoteOff(int32 sampleOffset, int16 channel, int16 pitch, float velocity);
    /** When full, a change for a parameter already waiting replaces that parameter's last one. */
    bool addChange(ParamID id, int32 sampleOffset, ParamValue value);

    /** Moves every offset into [0, length - 1]: hosts are not trusted to stay inside the block. */
    void clampOffsets(int32 length);

    /** The changes whose offsets lie in [start, start + length), with offsets relative to start. */
    void changesIn(int32 start, int32 length, BlockParameterChanges& out) const;

    int32 PLUGIN_API getEventCount() SMTG_OVERRIDE { return eventCount; }
    tresult PLUGIN_API getEvent(int32 index, Event& e) SMTG_OVERRIDE;
    tresult PLUGIN_API addEvent(Event& e) SMTG_OVERRIDE;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

private:
    struct TimedChange
    {
        ParamID id;
        int32 offset;
        ParamValue value;
    };

    std::array<Event, kMaxEvents> events{};
    int32 eventCount = 0;
    std::array<TimedChange, kMaxChanges> changes{};
    int32 changeCount = 0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
