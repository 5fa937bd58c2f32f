// SPDX-License-Identifier: GPL-3.0-or-later
// The VST 2 entry with the instrument linked into the test program rather than loaded from the
// bundle: one process that the sanitizers and the allocation counter see whole.
#pragma once

#include "Vst2Instance.h"

#include "Vst2Effect.h"
#include "Vst2Entry.h"

#include <memory>

namespace Vst2Test {

/** A new instance that calls back into `host`, or null when none can be built. */
inline std::unique_ptr<Vst2Instance> linkedEffect(audioMasterCallback host = quietHost)
{
    AEffect* effect = Steinberg::Vst::Tarvik::createEffectInstance(host);
    return effect ? std::make_unique<Vst2Instance>(effect) : nullptr;
}

/** A new instance, set up for the rate and block size and resumed, as a host starts it. */
inline std::unique_ptr<Vst2Instance> startedLinkedEffect(float sampleRate, int blockSize)
{
    std::unique_ptr<Vst2Instance> instance = linkedEffect();
    if (instance) instance->start(sampleRate, blockSize);
    return instance;
}

/** The instance behind a linked effect: the editor's side of it, for one. */
inline Steinberg::Vst::Tarvik::Vst2Effect& linkedInstance(const Vst2Instance& instance)
{
    return *Steinberg::Vst::Tarvik::Vst2Effect::from(instance.effect);
}

} // namespace Vst2Test
