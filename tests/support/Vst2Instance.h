// SPDX-License-Identifier: GPL-3.0-or-later
// A small VST 2 host on the FST header: answers the plug-in's callbacks and drives one effect,
// whether it comes from the built module (BuiltVst2Module.h) or is linked into the test
// (LinkedVst2Effect.h).
#pragma once

#include "pluginterfaces/fst/fst.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace Vst2Test {

using EntryPoint = AEffect* (*)(audioMasterCallback);

/** What the plug-in told the host; one per test process is enough. */
struct HostLog
{
    std::atomic<int> calls{0};
    VstIntPtr version = 2400; // what audioMasterVersion answers
};

inline HostLog& hostLog()
{
    static HostLog log;
    return log;
}

inline VstIntPtr VSTCALLBACK hostCallback(AEffect* /*effect*/, int opcode, int /*index*/,
                                          VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/)
{
    ++hostLog().calls;
    return opcode == audioMasterVersion ? hostLog().version : 0;
}

/** A host that answers only the version it speaks, and counts nothing. */
inline VstIntPtr VSTCALLBACK quietHost(AEffect*, int opcode, int, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

/** One effect, opened, set up and resumed; closed on destruction. */
class Vst2Instance
{
public:
    explicit Vst2Instance(AEffect* effect) : effect(effect) {}
    ~Vst2Instance()
    {
        if (effect) dispatch(effClose);
    }
    Vst2Instance(const Vst2Instance&) = delete;
    Vst2Instance& operator=(const Vst2Instance&) = delete;

    VstIntPtr dispatch(int opcode, int index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    void start(float sampleRate, int blockSize)
    {
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
        dispatch(effSetBlockSize, 0, blockSize);
        dispatch(effMainsChanged, 0, 1);
    }

    std::string text(int opcode, int index = 0)
    {
        char buffer[256] = {};
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }

    /** Sends MIDI messages (offset, three bytes each) as one VstEvents list. */
    struct Midi
    {
        int offset;
        unsigned char bytes[3];
    };
    void sendMidi(const std::vector<Midi>& messages)
    {
        if (messages.empty()) return;
        std::vector<VstMidiEvent> events(messages.size());
        std::vector<char> list(sizeof(VstEvents) + messages.size() * sizeof(VstEvent*));
        auto* header = reinterpret_cast<VstEvents*>(list.data());
        header->numEvents = static_cast<int>(messages.size());
        for (size_t i = 0; i < messages.size(); ++i)
        {
            VstMidiEvent& e = events[i];
            std::memset(&e, 0, sizeof e);
            e.type = kVstMidiType;
            e.byteSize = sizeof e;
            e.deltaFrames = messages[i].offset;
            std::memcpy(e.midiData, messages[i].bytes, 3);
            header->events[i] = reinterpret_cast<VstEvent*>(&e);
        }
        dispatch(effProcessEvents, 0, 0, header);
    }

    void render(float* left, float* right, int frames)
    {
        float* outputs[2] = {left, right};
        effect->processReplacing(effect, nullptr, outputs, frames);
    }

    std::vector<unsigned char> chunk()
    {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
        if (size <= 0 || !data) return {};
        const auto* bytes = static_cast<const unsigned char*>(data);
        return {bytes, bytes + size};
    }

    bool setChunk(std::vector<unsigned char> bytes)
    {
        return dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bytes.size()), bytes.data()) == 1;
    }

    AEffect* effect;
};

} // namespace Vst2Test
