// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzInput.h"
#include "FuzzTargets.h"

#include "BraskControllerWithUI.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

ParamID pickId(FuzzInput& input)
{
    static const ParamID kIds[] = {0,          3,          22,         23,         24,
                                   0x6D6F6477, 0x70697462, 0x62727468, 0x63743033, 0x65787072,
                                   0x61667474, 0x62706173, 0x70727374, 0xFFFFFFFF};
    const uint8_t choice = input.byte();
    if (choice < 128) return choice % 24;
    return kIds[choice % (sizeof(kIds) / sizeof(kIds[0]))];
}

} // namespace

bool runControllerSession(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    HostApplication host;
    auto* controller = new BraskControllerWithUI();
    controller->initialize(&host);

    // A damaged project's processor state.
    size_t stateSize = input.byte() * 2u;
    const uint8_t* state = input.take(stateSize);
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    stream->write(const_cast<uint8_t*>(state), static_cast<int32>(stateSize), nullptr);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    auto values = [controller] {
        std::vector<ParamValue> all;
        for (int32 index = 0; index < controller->getParameterCount(); ++index)
        {
            ParameterInfo info{};
            controller->getParameterInfo(index, info);
            all.push_back(controller->getParamNormalized(info.id));
        }
        return all;
    };
    const std::vector<ParamValue> before = values();
    // A refused state changes nothing.
    bool sane = controller->setComponentState(stream) == kResultOk || values() == before;
    while (!input.done() && sane)
    {
        const ParamID id = pickId(input);
        switch (input.byte() % 7)
        {
        case 0:
        {
            // Text entry: arbitrary UTF-16, terminated within the host's 128 units.
            String128 text{};
            const size_t length = input.byte() % 128;
            for (size_t i = 0; i < length; ++i)
                text[i] = static_cast<TChar>(input.byte() < 200 ? 0x20 + input.byte() % 0x5F
                                                                : input.word());
            ParamValue value = 0.0;
            if (controller->getParamValueByString(id, text, value) == kResultOk && id < 24 &&
                !(value >= 0.0 && value <= 1.0))
                sane = false;
            break;
        }
        case 1:
        {
            String128 text{};
            controller->getParamStringByValue(id, input.value(), text);
            sane = std::memchr(text, 0, sizeof(text)) != nullptr;
            break;
        }
        case 2:
            controller->setParamNormalized(id, input.value());
            sane = !(controller->getParamNormalized(id) < 0.0 ||
                     controller->getParamNormalized(id) > 1.0);
            break;
        case 3:
        {
            ParamID mapped = 0;
            controller->getMidiControllerAssignment(static_cast<int8_t>(input.byte()),
                                                    static_cast<int8_t>(input.byte()),
                                                    static_cast<int16_t>(input.word()), mapped);
            break;
        }
        case 4:
        {
            ParameterInfo info{};
            controller->getParameterInfo(static_cast<int16_t>(input.word()), info);
            UnitInfo unit{};
            controller->getUnitInfo(static_cast<int8_t>(input.byte()), unit);
            break;
        }
        case 5:
        {
            String128 name{};
            controller->getProgramName(id, static_cast<int16_t>(input.word()), name);
            ProgramListInfo list{};
            controller->getProgramListInfo(static_cast<int8_t>(input.byte()), list);
            break;
        }
        default:
        {
            const double value = input.value();
            controller->normalizedParamToPlain(id, value);
            controller->plainParamToNormalized(id, value);
            break;
        }
        }
    }

    controller->terminate();
    controller->release();
    return sane;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
