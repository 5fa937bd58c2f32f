// SPDX-License-Identifier: GPL-3.0-or-later
// PresetNameView: the loaded preset's name on the name plate, in place of the plate's subtitle.
// While no preset is loaded it draws nothing, so the panel shows exactly its own artwork. With a
// name it first covers the painted subtitle with the plate's own empty stretch beside it (the
// plate's fill changes only from top to bottom, so any column of it fits any other), then writes
// the name where the subtitle stood, in the subtitle's letters. Clicks pass through to the name
// plate, which opens the about panel.
#pragma once

#include "views/CView.h"

#include <memory>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class PresetNameView : public VSTGUI::CView
{
public:
    /** Where the plate's subtitle lies on the panel (editor pixels). */
    static VSTGUI::CRect subtitleArea();

    /** panel is the panel's background bitmap, which holds the plate. */
    explicit PresetNameView(std::shared_ptr<VSTGUI::CBitmap> panel);

    /** The text to show; empty shows the panel's own subtitle. */
    void setText(const std::string& text);
    const std::string& getText() const { return text; }

    void draw(VSTGUI::CDrawContext& context) override;

private:
    std::shared_ptr<VSTGUI::CBitmap> panel;
    std::string text;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
