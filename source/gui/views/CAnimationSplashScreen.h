// SPDX-License-Identifier: GPL-3.0-or-later
// CAnimationSplashScreen: a hot area that shows a panel (the splash bitmap at the splash
// rectangle, in frame coordinates) over the editor when clicked. The panel fades in over the
// animation time; a click on it hides it. The control's value is 1 while the panel shows.
#pragma once

#include "views/CControl.h"

namespace VSTGUI {

class CAnimationSplashScreen : public CControl
{
public:
    CAnimationSplashScreen(const CRect& size, int32_t tag = -1,
                           std::shared_ptr<CBitmap> background = nullptr,
                           std::shared_ptr<CBitmap> splashBitmap = nullptr,
                           const CRect& splashRect = CRect(), int32_t animationIndex = 0,
                           std::uint32_t animationTime = 500);
    ~CAnimationSplashScreen() override;

    void setSplashBitmap(std::shared_ptr<CBitmap> bitmap) { splashBitmap = std::move(bitmap); }
    const std::shared_ptr<CBitmap>& getSplashBitmap() const { return splashBitmap; }
    void setSplashRect(const CRect& rect) { splashRect = rect; }
    const CRect& getSplashRect() const { return splashRect; }
    void setAnimationIndex(int32_t index) { animationIndex = index; }
    int32_t getAnimationIndex() const { return animationIndex; }
    void setAnimationTime(std::uint32_t milliseconds) { animationTime = milliseconds; }
    std::uint32_t getAnimationTime() const { return animationTime; }

    void openSplash();
    void closeSplash();
    bool isSplashOpen() const { return panel != nullptr; }
    /** Opacity of the open panel (0..1), 0 when closed. */
    float getSplashAlpha() const;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    /** An invisible hot area: nothing the keyboard could show or step. */
    bool wantsFocus() const override { return false; }

private:
    class Panel;
    friend class Panel;

    std::shared_ptr<CBitmap> splashBitmap;
    CRect splashRect;
    int32_t animationIndex = 0;
    std::uint32_t animationTime = 500;
    Panel* panel = nullptr;
};

} // namespace VSTGUI
