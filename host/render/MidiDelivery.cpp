// SPDX-License-Identifier: GPL-3.0-or-later
#include "MidiDelivery.h"

#include <algorithm>
#include <cmath>

namespace Steinberg::Vst::Tarvik::Render {

MidiDelivery::MidiDelivery(IMidiMapping* mapping, IEditController* controller)
    : controller(controller)
{
    translator.readMapping(mapping);
    translator.setListener(this);
}

void MidiDelivery::schedule(const MidiFile& file, double rate)
{
    messages = &file.messages();
    sampleRate = rate;
    next = 0;
    translator.releaseAllKeys();
}

void MidiDelivery::fill(int64 start, int32 length, Hosting::BlockInput& block)
{
    if (!messages) return;
    const int64 end = start + length;
    for (; next < messages->size(); ++next)
    {
        const MidiFile::Message& message = (*messages)[next];
        const auto position = static_cast<int64>(std::llround(message.seconds * sampleRate));
        if (position >= end) break;
        const auto offset = static_cast<int32>(std::max<int64>(position - start, 0));
        const uint8 bytes[3] = {message.status, message.data1, message.data2};
        if (!translator.translate(offset, bytes, block)) break;
    }
}

void MidiDelivery::parameterChange(ParamID id, ParamValue value)
{
    if (controller) controller->setParamNormalized(id, value);
}

} // namespace Steinberg::Vst::Tarvik::Render
