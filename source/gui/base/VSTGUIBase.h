// SPDX-License-Identifier: GPL-3.0-or-later
// Plain value types shared by the views, the description and the platform layer: geometry,
// colours, fonts, mouse and key events. Nothing here knows a window system or a graphics library.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

namespace VSTGUI {

using UTF8StringPtr = const char*;
using CCoord = double;
using int32_t = std::int32_t;
using uint32_t = std::uint32_t;

struct CPoint
{
    CCoord x = 0;
    CCoord y = 0;

    CPoint() = default;
    CPoint(CCoord x, CCoord y) : x(x), y(y) {}
    CPoint operator+(const CPoint& o) const { return {x + o.x, y + o.y}; }
    CPoint operator-(const CPoint& o) const { return {x - o.x, y - o.y}; }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

struct CRect
{
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    CRect() = default;
    CRect(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}
    CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y)
    {}

    CCoord getWidth() const { return right - left; }
    CCoord getHeight() const { return bottom - top; }
    CPoint getTopLeft() const { return {left, top}; }
    CPoint getSize() const { return {getWidth(), getHeight()}; }
    CPoint getCenter() const { return {(left + right) / 2, (top + bottom) / 2}; }
    bool isEmpty() const { return right <= left || bottom <= top; }

    CRect& offset(CCoord dx, CCoord dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    CRect& offset(const CPoint& p) { return offset(p.x, p.y); }
    CRect& moveTo(const CPoint& p) { return offset(p.x - left, p.y - top); }
    CRect& inset(CCoord dx, CCoord dy)
    {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    bool pointInside(const CPoint& p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool rectOverlap(const CRect& o) const
    {
        return o.right > left && o.left < right && o.bottom > top && o.top < bottom;
    }
    /** Shrinks to the intersection; an empty result has zero size. */
    CRect& bound(const CRect& o)
    {
        left = std::max(left, o.left);
        top = std::max(top, o.top);
        right = std::max(left, std::min(right, o.right));
        bottom = std::max(top, std::min(bottom, o.bottom));
        return *this;
    }
    CRect& unite(const CRect& o)
    {
        if (o.isEmpty()) return *this;
        if (isEmpty()) return *this = o;
        left = std::min(left, o.left);
        top = std::min(top, o.top);
        right = std::max(right, o.right);
        bottom = std::max(bottom, o.bottom);
        return *this;
    }
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

struct CColor
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    bool operator==(const CColor& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const CColor& o) const { return !(*this == o); }
};

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kGreyCColor{127, 127, 127, 255};
constexpr CColor kRedCColor{255, 0, 0, 255};
constexpr CColor kGreenCColor{0, 255, 0, 255};
constexpr CColor kBlueCColor{0, 0, 255, 255};
constexpr CColor kTransparentCColor{255, 255, 255, 0};

enum CTxtFace
{
    kNormalFace = 0,
    kBoldFace = 1 << 1,
    kItalicFace = 1 << 2,
};

struct CFontDesc
{
    std::string name = "sans-serif";
    CCoord size = 12;
    int32_t style = kNormalFace;
};

enum CHoriTxtAlign
{
    kLeftText = 0,
    kCenterText,
    kRightText
};

enum CDrawStyle
{
    kDrawStroked = 0,
    kDrawFilled,
    kDrawFilledAndStroked
};

/** Mouse buttons and modifier keys held during a mouse event. */
enum CButton : int32_t
{
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kDoubleClick = 1 << 10,
};

struct CButtonState
{
    int32_t state = 0;

    CButtonState() = default;
    CButtonState(int32_t s) : state(s) {}
    bool isLeftButton() const { return (state & kLButton) != 0; }
    bool isDoubleClick() const { return (state & kDoubleClick) != 0; }
    int32_t getModifierState() const { return state & (kShift | kControl | kAlt | kApple); }
    bool operator&(int32_t flag) const { return (state & flag) != 0; }
};

enum CMouseEventResult
{
    kMouseEventNotHandled = 0,
    kMouseEventHandled,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
};

/** Keys without a character. */
enum VirtualKey : unsigned char
{
    VKEY_NONE = 0,
    VKEY_BACK = 1,
    VKEY_TAB,
    VKEY_RETURN,
    VKEY_ESCAPE,
    VKEY_END,
    VKEY_HOME,
    VKEY_LEFT,
    VKEY_UP,
    VKEY_RIGHT,
    VKEY_DOWN,
    VKEY_PAGEUP,
    VKEY_PAGEDOWN,
    VKEY_ENTER,
    VKEY_DELETE,
    VKEY_SPACE,
};

enum KeyModifier : unsigned char
{
    MODIFIER_SHIFT = 1 << 0,
    MODIFIER_ALTERNATE = 1 << 1,
    MODIFIER_COMMAND = 1 << 2,
    MODIFIER_CONTROL = 1 << 3,
};

/** A key press: a Unicode character, or a virtual key when `character` is 0. */
struct VstKeyCode
{
    int32_t character = 0;
    unsigned char virt = VKEY_NONE;
    unsigned char modifier = 0;
};

enum CKnobMode
{
    kCircularMode = 0,
    kRelativCircularMode,
    kLinearMode
};

} // namespace VSTGUI
