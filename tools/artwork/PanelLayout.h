// SPDX-License-Identifier: GPL-3.0-or-later
// Where the editor description puts its controls, so that the panel artwork paints labels,
// read-out windows and section outlines exactly under them.
#pragma once

#include <string>
#include <vector>

namespace Brask {
namespace Artwork {

struct Rect
{
    double x = 0, y = 0, w = 0, h = 0;
    double right() const { return x + w; }
    double bottom() const { return y + h; }
    double centerX() const { return x + w / 2; }
    double centerY() const { return y + h / 2; }
};

struct PlacedControl
{
    std::string className; ///< "CAnimKnob", "CTextEdit", "COptionMenu", ...
    std::string tagName;   ///< "Root::VCFFreq"; empty for untagged views
    std::string bitmap;
    int frames = 1;
    Rect frame; ///< in editor coordinates
};

struct PanelLayout
{
    double width = 0, height = 0;
    std::vector<PlacedControl> controls;

    /** The control of the class bound to the tag; throws if the description has none. */
    const PlacedControl& find(const std::string& className, const std::string& tagName) const;
};

/** Reads the template "Editor" of a description file; throws std::runtime_error with the reason
 *  when the file cannot be read or has no such template. */
PanelLayout readPanelLayout(const std::string& descriptionPath);

} // namespace Artwork
} // namespace Brask
