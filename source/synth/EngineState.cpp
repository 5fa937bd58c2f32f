// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineState.h"

#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

void resetEngine(EngineState& engine)
{
    std::memset(engine.voices, 0, sizeof(engine.voices));
    for (Voice& voice : engine.voices)
    {
        // A step of 1 from phase 0 makes a voice's first rendered sample start a new cycle.
        voice.osc1.increment = 1.0f;
        voice.osc2.increment = 1.0f;
    }
    engine.eventBuffer[0] = kEventTerminator;

    engine.cutoffSmooth = 0.0f;
    engine.filterModCtl = 0.0f;
    engine.modWheel = 0.0f;
    engine.aftertouch = 0.0f;
    engine.lfoPhase = 0.0f;
    engine.bendRatio = 1.0f;
    engine.bendInverse = 1.0f;
    engine.resoScale = 1.0f;
    engine.levelScale = 0.0005f;
    engine.activeVoices = 0;
    engine.tickCountdown = 0; // the first rendered sample runs a control tick
    engine.lastNote = 0;
    engine.voiceMode = kModePoly;
    engine.noiseState = 22222;
}

void restartEngine(EngineState& engine)
{
    const EngineState kept = engine;
    resetEngine(engine);
    auto keep = [](float& field, float value) {
        if (std::isfinite(value)) field = value;
    };
    keep(engine.filterModCtl, kept.filterModCtl);
    keep(engine.modWheel, kept.modWheel);
    keep(engine.aftertouch, kept.aftertouch);
    keep(engine.resoScale, kept.resoScale);
    if (std::isfinite(kept.bendRatio) && std::isfinite(kept.bendInverse))
    {
        engine.bendRatio = kept.bendRatio;
        engine.bendInverse = kept.bendInverse;
    }
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
