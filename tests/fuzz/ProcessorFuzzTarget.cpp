// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzInput.h"
#include "FuzzTargets.h"

#include "BraskParameterIds.h"
#include "BraskProcessor.h"
#include "EventList.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr ParamID kExtraIds[] = {kModWheelId,
                                 kPitchBendId,
                                 kFilterModUpId,
                                 kFilterModDownId,
                                 kResonanceCtlId,
                                 kAftertouchId,
                                 0x62706173 /* 'bpas' */,
                                 0x70727374 /* 'prst' */,
                                 999};

ParamID pickParameter(uint8_t choice)
{
    const uint8_t extra = sizeof(kExtraIds) / sizeof(kExtraIds[0]);
    if (choice % 40 < kSoundParamCount) return static_cast<ParamID>(choice % 40);
    return kExtraIds[choice % extra];
}

} // namespace

bool runProcessorSession(const uint8_t* data, size_t size)
{
    constexpr int32 kMaxBlock = 1024;
    FuzzInput input(data, size);

    HostApplication host;
    auto* processor = new BraskProcessor();
    processor->initialize(&host);
    processor->activateBus(kAudio, kOutput, 0, true);
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    processor->setBusArrangements(nullptr, 0, &stereo, 1);
    static const double kRates[] = {44100.0, 48000.0, 8000.0, 192000.0, 22050.0};
    ProcessSetup setup{kRealtime, kSample32, 1 + input.byte() * 4, kRates[input.byte() % 5]};
    processor->setupProcessing(setup);

    // A state stream of the first bytes, as a damaged project would hand it over.
    size_t stateSize = input.byte();
    const uint8_t* state = input.take(stateSize);
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    stream->write(const_cast<uint8_t*>(state), static_cast<int32>(stateSize), nullptr);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    // A refused state changes nothing.
    IPtr<MemoryStream> before = owned(new MemoryStream());
    processor->getState(before);
    bool intact = true;
    if (processor->setState(stream) != kResultOk)
    {
        IPtr<MemoryStream> after = owned(new MemoryStream());
        processor->getState(after);
        intact = after->getSize() == before->getSize() &&
                 std::memcmp(after->getData(), before->getData(), before->getSize()) == 0;
    }
    processor->setActive(true);

    Host::ProcessBuffers buffers(kMaxBlock);
    Hosting::ParameterChanges changes(48, 8);
    Hosting::EventList events(64);
    bool finite = intact;
    for (int block = 0; block < 64 && !input.done(); ++block)
    {
        changes.clear();
        events.clear();
        const int32 numSamples = input.word() % (kMaxBlock + 1);
        const int32 eventCount = input.byte() % 12;
        for (int32 i = 0; i < eventCount; ++i)
        {
            const int32 offset = static_cast<int16_t>(input.word()) % (numSamples + 8);
            const int16 pitch = static_cast<int16>(static_cast<int8_t>(input.byte()) * 2);
            const float velocity = static_cast<float>(input.value());
            if (input.byte() & 1)
                events.addNoteOn(offset, pitch, velocity);
            else
                events.addNoteOff(offset, pitch, velocity);
        }
        const int32 changeCount = input.byte() % 8;
        for (int32 i = 0; i < changeCount; ++i)
            changes.add(pickParameter(input.byte()), input.word() % (numSamples + 1),
                        input.value());

        processor->process(buffers.prepare(numSamples, &changes, &events));
        for (int32 c = 0; c < 2; ++c)
            for (int32 i = 0; i < numSamples; ++i)
                finite = finite && std::isfinite(buffers.channel(c)[i]);
        if (!finite) break;
    }

    processor->setActive(false);
    processor->terminate();
    processor->release();
    return finite;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
