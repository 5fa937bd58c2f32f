// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gdiplus/GdiplusSession.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace VSTGUI {

namespace {

std::weak_ptr<GdiplusSession>& runningSession()
{
    static std::weak_ptr<GdiplusSession> session;
    return session;
}

// Family names the description may use that name no Windows font.
const wchar_t* windowsFamilyOf(const std::wstring& name)
{
    if (name == L"sans-serif" || name == L"sans") return L"Arial";
    if (name == L"serif") return L"Times New Roman";
    if (name == L"monospace") return L"Courier New";
    return nullptr;
}

} // namespace

std::shared_ptr<GdiplusSession> GdiplusSession::acquire()
{
    if (auto session = runningSession().lock()) return session;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return nullptr;
    std::shared_ptr<GdiplusSession> session(new GdiplusSession(token));
    runningSession() = session;
    return session;
}

GdiplusSession::~GdiplusSession()
{
    fonts.clear(); // every GDI+ object goes before GDI+ itself
    Gdiplus::GdiplusShutdown(token);
}

Gdiplus::Font& GdiplusSession::font(const CFontDesc& desc)
{
    auto key = std::make_tuple(desc.name, desc.size, desc.style);
    std::unique_ptr<Gdiplus::Font>& cached = fonts[key];
    if (cached) return *cached;
    INT style = Gdiplus::FontStyleRegular;
    if (desc.style & kBoldFace) style |= Gdiplus::FontStyleBold;
    if (desc.style & kItalicFace) style |= Gdiplus::FontStyleItalic;
    std::wstring name = wideOf(desc.name);
    if (const wchar_t* windowsName = windowsFamilyOf(name)) name = windowsName;
    auto tryFamily = [&](const Gdiplus::FontFamily& family) {
        if (cached || family.GetLastStatus() != Gdiplus::Ok) return;
        auto font = std::make_unique<Gdiplus::Font>(&family, Gdiplus::REAL(desc.size), style,
                                                    Gdiplus::UnitPixel);
        if (font->GetLastStatus() == Gdiplus::Ok) cached = std::move(font);
    };
    tryFamily(Gdiplus::FontFamily(name.c_str()));
    // Text must show whatever fonts the system has: the common sans-serif ones, then any.
    for (const wchar_t* fallback : {L"Arial", L"Segoe UI", L"Tahoma", L"DejaVu Sans"})
        tryFamily(Gdiplus::FontFamily(fallback));
    if (!cached)
    {
        Gdiplus::InstalledFontCollection installed;
        INT count = std::min(installed.GetFamilyCount(), 64);
        std::vector<Gdiplus::FontFamily> families(std::size_t(std::max(count, 0)));
        INT found = 0;
        if (count > 0) installed.GetFamilies(count, families.data(), &found);
        for (INT i = 0; i < found; ++i)
            tryFamily(families[std::size_t(i)]);
    }
    if (!cached)
        cached = std::make_unique<Gdiplus::Font>(L"", Gdiplus::REAL(desc.size), style,
                                                 Gdiplus::UnitPixel);
    return *cached;
}

std::wstring wideOf(const std::string& text)
{
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring result(std::size_t(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &result[0], length);
    return result;
}

} // namespace VSTGUI
