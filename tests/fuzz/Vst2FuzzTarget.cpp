// SPDX-License-Identifier: GPL-3.0-or-later
// A VST 2 session from arbitrary bytes: any opcode with any index, value and float (pointer
// arguments get a zeroed buffer), chunks of any bytes, MIDI of any bytes at any offset,
// setParameter with any bit pattern, programs chosen, renamed and changed by MIDI, and blocks of
// any size, through the instance's AEffect.
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "Vst2Effect.h"
#include "Vst2Entry.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr int kMaxFrames = 2048;

VstIntPtr VSTCALLBACK fuzzHost(AEffect*, int opcode, int, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

float anyFloat(FuzzInput& in)
{
    return static_cast<float>(in.value());
}

void sendMidi(AEffect* effect, FuzzInput& in)
{
    const int count = in.byte() % 16;
    std::vector<VstMidiEvent> midi(static_cast<size_t>(count));
    std::vector<char> list(sizeof(VstEvents) + static_cast<size_t>(count) * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = count;
    for (int i = 0; i < count; ++i)
    {
        VstMidiEvent& e = midi[static_cast<size_t>(i)];
        e.type = in.byte() < 240 ? kVstMidiType : kVstSysExType;
        e.byteSize = sizeof e;
        e.deltaFrames = static_cast<int16_t>(in.word()); // also negative and past the block
        for (unsigned char& b : e.midiData)
            b = in.byte();
        events->events[i] = in.byte() < 250 ? reinterpret_cast<VstEvent*>(&e) : nullptr;
    }
    effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);
}

/** A program chosen (also one past either end), renamed, named, or changed by MIDI. */
void usePrograms(AEffect* effect, FuzzInput& in, std::vector<char>& text)
{
    const int program = static_cast<int>(in.byte() % (effect->numPrograms + 2)) - 1;
    std::fill(text.begin(), text.end(), 0);
    const size_t length = in.byte() % 40;
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>(in.byte() | 1);
    switch (in.byte() % 4)
    {
    case 0:
        effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
        break;
    case 1:
        effect->dispatcher(effect, effSetProgramName, 0, 0, text.data(), 0.0f);
        break;
    case 2:
        effect->dispatcher(effect, effGetProgramNameIndexed, program, 0, text.data(), 0.0f);
        break;
    default:
    {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof e;
        e.deltaFrames = in.byte();
        e.midiData[0] = static_cast<unsigned char>(0xC0 | (in.byte() & 0x0F));
        e.midiData[1] = static_cast<unsigned char>(program & 0x7F);
        char list[sizeof(VstEvents) + sizeof(VstEvent*)] = {};
        auto* events = reinterpret_cast<VstEvents*>(list);
        events->numEvents = 1;
        events->events[0] = reinterpret_cast<VstEvent*>(&e);
        effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);
        break;
    }
    }
}

bool render(AEffect* effect, FuzzInput& in, std::vector<float>& left, std::vector<float>& right)
{
    const int frames = static_cast<int>(in.word() % (kMaxFrames + 1)) - (in.byte() < 8 ? 5 : 0);
    float* outputs[2] = {left.data(), right.data()};
    if (in.byte() < 128)
        effect->processReplacing(effect, nullptr, outputs, frames);
    else
        effect->process(effect, nullptr, outputs, frames);
    for (int i = 0; i < frames; ++i)
    {
        if (!std::isfinite(left[static_cast<size_t>(i)]) ||
            !std::isfinite(right[static_cast<size_t>(i)]))
            return false;
    }
    return true;
}

} // namespace

bool runVst2Session(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    Vst2Effect* instance = Vst2Effect::from(createEffectInstance(fuzzHost));
    if (!instance) return false;
    AEffect* effect = instance->effect();

    std::vector<float> left(kMaxFrames), right(kMaxFrames);
    std::vector<char> buffer(1024);
    bool sane = true;
    while (!in.done() && sane)
    {
        switch (in.byte() % 7)
        {
        case 0:
        {
            // Any opcode but close (which ends the instance) and editor open (which needs a
            // real window); the editor's other opcodes are harmless without one.
            int opcode = in.byte();
            if (opcode == effClose || opcode == effEditOpen) opcode = effGetVstVersion;
            if (opcode == effProcessEvents || opcode == effSetChunk) opcode = effGetChunk;
            const auto index = static_cast<int16_t>(in.word());
            const auto value = static_cast<int16_t>(in.word());
            std::fill(buffer.begin(), buffer.end(), 0);
            const size_t text = in.byte() % 32;
            for (size_t i = 0; i < text; ++i)
                buffer[i] = static_cast<char>(in.byte());
            effect->dispatcher(effect, opcode, index, value, buffer.data(), anyFloat(in));
            break;
        }
        case 1:
        {
            size_t length = in.byte();
            const uint8_t* bytes = in.take(length);
            std::vector<uint8_t> chunk(bytes, bytes + length);
            effect->dispatcher(effect, effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()),
                               chunk.data(), 0.0f);
            break;
        }
        case 2:
            sendMidi(effect, in);
            break;
        case 3:
            effect->setParameter(effect, static_cast<int16_t>(in.word()) % 40, anyFloat(in));
            break;
        case 4:
            effect->dispatcher(effect, effMainsChanged, 0, in.byte() & 1, nullptr, 0.0f);
            break;
        case 5:
            usePrograms(effect, in, buffer);
            break;
        default:
            sane = render(effect, in, left, right);
            break;
        }
        const VstIntPtr program = effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f);
        sane = sane && program >= 0 && program < effect->numPrograms;
        for (int i = 0; i < effect->numParams && sane; ++i)
        {
            const float v = effect->getParameter(effect, i);
            sane = v >= 0.0f && v <= 1.0f;
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return sane;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
