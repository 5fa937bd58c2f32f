// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's background: the textured panel with its sections, lettering and read-out windows,
// and the about panel that opens over it.
#pragma once

#include "Canvas.h"
#include "PanelLayout.h"

#include <string>

namespace Brask {
namespace Artwork {

/** Paints the panel for the layout's controls; throws std::runtime_error when a labelled
 *  control is missing from the layout or sits outside its section. */
void drawPanel(Canvas& canvas, const PanelLayout& layout);

/** Paints the about panel (width x height logical pixels) for the given version text. */
void drawAboutPanel(Canvas& canvas, double width, double height, const std::string& version);

} // namespace Artwork
} // namespace Brask
