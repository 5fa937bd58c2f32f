// SPDX-License-Identifier: GPL-3.0-or-later
// Filmstrips of the knob and the fader: frames stacked vertically, frame 0 at the top showing the
// minimum (knob pointer lower left, fader cap at the bottom), the last frame the maximum.
#pragma once

#include "Canvas.h"

namespace Brask {
namespace Artwork {

constexpr int kKnobSize = 64;
constexpr int kFaderWidth = 30;
constexpr int kFaderHeight = 128;

/** A black knob with a red pointer over a white scale of scaleTicks ticks; frames positions
 *  spread evenly over its 270-degree travel. */
void drawKnobStrip(Canvas& canvas, int frames, int scaleTicks);

/** A vertical fader over a scale of horizontal lines, in frames evenly spaced positions. */
void drawFaderStrip(Canvas& canvas, int frames);

} // namespace Artwork
} // namespace Brask
