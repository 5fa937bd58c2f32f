// SPDX-License-Identifier: GPL-3.0-or-later
// The colours the runtime's own lists and questions share, so that a menu, a question and the
// field typed into read as one family over any panel.
#pragma once

#include "base/VSTGUIBase.h"

namespace VSTGUI {

/** Behind lists and question boxes. */
constexpr CColor kPopupBack{40, 40, 44, 255};
/** Around lists, boxes, fields and buttons. */
constexpr CColor kPopupFrame{160, 160, 170, 255};
/** The highlighted entry or button, and selected text. */
constexpr CColor kPopupHighlight{60, 110, 200, 255};

} // namespace VSTGUI
