// SPDX-License-Identifier: GPL-3.0-or-later
// GdiplusSession: GDI+ started for as long as anything of the editor runtime draws or holds a
// bitmap, and shut down when the last of them goes, so a host that closes every editor and
// unloads the module finds nothing left running. It also keeps the fonts text is drawn with.
//
// Threads: the UI thread only, as all drawing.
#pragma once

#include "base/VSTGUIBase.h"

#include <windows.h>

#include <gdiplus.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace VSTGUI {

class GdiplusSession
{
public:
    /** The running session, started when there is none; null when GDI+ cannot start. */
    static std::shared_ptr<GdiplusSession> acquire();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    /** The font of `desc` (its family, or the system's sans-serif one where the family is
     *  missing), sized in pixels; never null. */
    Gdiplus::Font& font(const CFontDesc& desc);

private:
    explicit GdiplusSession(ULONG_PTR token) : token(token) {}

    ULONG_PTR token;
    std::map<std::tuple<std::string, CCoord, int32_t>, std::unique_ptr<Gdiplus::Font>> fonts;
};

/** UTF-16 of UTF-8 text; invalid sequences become U+FFFD. */
std::wstring wideOf(const std::string& text);

} // namespace VSTGUI
