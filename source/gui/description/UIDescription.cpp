// SPDX-License-Identifier: GPL-3.0-or-later
#include "description/UIDescription.h"

#include "description/IController.h"
#include "description/XmlTree.h"
#include "views/CAnimKnob.h"
#include "views/CAnimationSplashScreen.h"
#include "views/COptionMenu.h"
#include "views/CTextEdit.h"
#include "views/CViewContainer.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace VSTGUI {

namespace {

constexpr CCoord kMaxCoordinate = 16384;

struct NamedColor
{
    const char* name;
    CColor color;
};

const NamedColor kPredefinedColors[] = {
    {"~ BlackCColor", kBlackCColor},
    {"~ WhiteCColor", kWhiteCColor},
    {"~ GreyCColor", kGreyCColor},
    {"~ RedCColor", kRedCColor},
    {"~ GreenCColor", kGreenCColor},
    {"~ BlueCColor", kBlueCColor},
    {"~ TransparentCColor", kTransparentCColor},
};

struct NamedFont
{
    const char* name;
    CCoord size;
};

const NamedFont kPredefinedFonts[] = {
    {"~ SystemFont", 12},         {"~ NormalFontVeryBig", 18}, {"~ NormalFontBig", 14},
    {"~ NormalFont", 12},         {"~ NormalFontSmall", 11},   {"~ NormalFontSmaller", 10},
    {"~ NormalFontVerySmall", 9}, {"~ SymbolFont", 12},
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseHexColor(const char* text, CColor& color)
{
    if (!text || text[0] != '#') return false;
    std::size_t length = std::strlen(text + 1);
    if (length != 6 && length != 8) return false;
    std::uint8_t parts[4] = {0, 0, 0, 255};
    for (std::size_t i = 0; i < length / 2; ++i)
    {
        int high = hexDigit(text[1 + 2 * i]);
        int low = hexDigit(text[2 + 2 * i]);
        if (high < 0 || low < 0) return false;
        parts[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    color = CColor{parts[0], parts[1], parts[2], parts[3]};
    return true;
}

bool parseTag(const char* text, int32_t& tag)
{
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text, &end, 10);
    if (end == text || *end || errno == ERANGE || value < -1 || value > 0xFFFFFFFFll) return false;
    tag = static_cast<int32_t>(static_cast<std::uint32_t>(value));
    return true;
}

CCoord clampCoordinate(CCoord value)
{
    return std::min(kMaxCoordinate, std::max(-kMaxCoordinate, value));
}

UIAttributes attributesOf(const XmlElement& element)
{
    UIAttributes attributes;
    for (const auto& attribute : element.attributes)
        attributes.setAttribute(attribute.first, attribute.second);
    return attributes;
}

/** True for the values XML readers commonly take as true: "1", "true", "yes" and the like. */
bool isTrueText(const char* text)
{
    return *text == '1' || *text == 't' || *text == 'T' || *text == 'y' || *text == 'Y';
}

std::string doubleResolutionName(const std::string& fileName)
{
    std::size_t dot = fileName.rfind('.');
    std::size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return fileName + "#2x";
    return fileName.substr(0, dot) + "#2x" + fileName.substr(dot);
}

} // namespace

struct UIDescription::Document
{
    XmlElement root;
};

/** Builds the views of one template, remembering whether every bitmap could be loaded. */
class UIDescription::ViewBuilder
{
public:
    ViewBuilder(const UIDescription& description,
                std::vector<std::unique_ptr<IController>>* subControllers)
        : description(description), subControllers(subControllers)
    {}

    bool failed() const { return missingBitmap; }

    CView* build(const XmlElement& node, IController* controller, int depth, bool isTemplate)
    {
        if (depth > kMaxViewDepth) return nullptr;
        UIAttributes attributes = attributesOf(node);

        if (const std::string* name = attributes.getAttributeValue("sub-controller"))
        {
            if (controller)
            {
                if (IController* sub = controller->createSubController(name->c_str(), &description))
                {
                    if (subControllers) subControllers->emplace_back(sub);
                    controller = sub;
                }
            }
        }

        CView* view = nullptr;
        if (controller && attributes.hasAttribute("custom-view-name"))
            view = controller->createView(attributes, &description);
        if (!view)
        {
            const std::string* className = attributes.getAttributeValue("class");
            std::string cls = className ? *className : (isTemplate ? "CViewContainer" : "");
            view = create(cls);
            if (!view) return nullptr; // unknown classes are left out with their children
        }
        // A custom view takes the description's attributes too (origin, size, tag, ...).
        apply(*view, attributes, controller);
        if (auto* container = dynamic_cast<CViewContainer*>(view))
        {
            for (const XmlElement& child : node.children)
                if (child.name == "view")
                    if (CView* childView = build(child, controller, depth + 1, false))
                        container->addView(childView);
        }
        if (controller)
        {
            CView* verified = controller->verifyView(view, attributes, &description);
            if (verified != view)
            {
                delete view;
                view = verified;
            }
        }
        return view;
    }

private:
    static CView* create(const std::string& cls)
    {
        CRect empty;
        if (cls == "CViewContainer") return new CViewContainer(empty);
        if (cls == "CAnimKnob") return new CAnimKnob(empty);
        if (cls == "CTextEdit") return new CTextEdit(empty);
        if (cls == "COptionMenu") return new COptionMenu(empty);
        if (cls == "CAnimationSplashScreen") return new CAnimationSplashScreen(empty);
        if (cls == "CParamDisplay") return new CParamDisplay(empty);
        if (cls == "CView") return new CView(empty);
        return nullptr;
    }

    std::shared_ptr<CBitmap> bitmap(const std::string& name)
    {
        auto result = description.getBitmap(name.c_str());
        if (!result) missingBitmap = true;
        return result;
    }

    bool color(const UIAttributes& a, const char* name, CColor& out) const
    {
        const std::string* value = a.getAttributeValue(name);
        return value && description.getColor(value->c_str(), out);
    }

    void apply(CView& view, const UIAttributes& a, IController* controller)
    {
        CPoint origin, extent;
        a.getPointAttribute("origin", origin);
        a.getPointAttribute("size", extent);
        origin = CPoint(clampCoordinate(origin.x), clampCoordinate(origin.y));
        extent = CPoint(std::max<CCoord>(0, clampCoordinate(extent.x)),
                        std::max<CCoord>(0, clampCoordinate(extent.y)));
        view.setViewSize(CRect(origin, extent));

        bool flag = false;
        if (a.getBooleanAttribute("transparent", flag)) view.setTransparency(flag);
        if (a.getBooleanAttribute("mouse-enabled", flag)) view.setMouseEnabled(flag);
        if (const std::string* name = a.getAttributeValue("bitmap"))
            view.setBackground(bitmap(*name));

        if (auto* container = dynamic_cast<CViewContainer*>(&view))
        {
            CColor background;
            if (color(a, "background-color", background)) container->setBackgroundColor(background);
            if (const std::string* style = a.getAttributeValue("background-color-draw-style"))
            {
                if (*style == "stroked")
                    container->setBackgroundColorDrawStyle(kDrawStroked);
                else if (*style == "filled")
                    container->setBackgroundColorDrawStyle(kDrawFilled);
                else if (*style == "filled and stroked")
                    container->setBackgroundColorDrawStyle(kDrawFilledAndStroked);
            }
        }
        if (auto* control = dynamic_cast<CControl*>(&view)) applyControl(*control, a, controller);
    }

    void applyControl(CControl& control, const UIAttributes& a, IController* controller)
    {
        double number = 0;
        if (a.getDoubleAttribute("min-value", number)) control.setMin(float(number));
        if (a.getDoubleAttribute("max-value", number)) control.setMax(float(number));
        if (a.getDoubleAttribute("default-value", number)) control.setDefaultValue(float(number));
        if (a.getDoubleAttribute("wheel-inc-value", number)) control.setWheelInc(float(number));
        if (a.getDoubleAttribute("value", number)) control.setValue(float(number));
        if (const std::string* tagName = a.getAttributeValue("control-tag"))
        {
            int32_t tag = description.getTagForName(tagName->c_str());
            if (controller)
            {
                tag = controller->getTagForName(tagName->c_str(), tag);
                control.setListener(controller->getControlListener(tagName->c_str()));
            }
            control.setTag(tag);
        }
        else if (controller)
        {
            control.setListener(controller->getControlListener(nullptr));
        }

        if (auto* knob = dynamic_cast<CAnimKnob*>(&control))
        {
            if (a.getDoubleAttribute("height-of-one-image", number))
                knob->setHeightOfOneImage(std::max<CCoord>(0, clampCoordinate(number)));
            if (a.getDoubleAttribute("sub-pixmaps", number) && number >= 0 && number < 1e6)
                knob->setNumSubPixmaps(int32_t(number));
            if (a.getDoubleAttribute("angle-start", number)) knob->setStartAngle(float(number));
            if (a.getDoubleAttribute("angle-range", number)) knob->setRangeAngle(float(number));
            if (a.getDoubleAttribute("zoom-factor", number)) knob->setZoomFactor(float(number));
        }
        if (auto* display = dynamic_cast<CParamDisplay*>(&control)) applyDisplay(*display, a);
        if (auto* splash = dynamic_cast<CAnimationSplashScreen*>(&control))
        {
            if (const std::string* name = a.getAttributeValue("splash-bitmap"))
                splash->setSplashBitmap(bitmap(*name));
            CPoint origin, extent;
            a.getPointAttribute("splash-origin", origin);
            if (!a.getPointAttribute("splash-size", extent) && splash->getSplashBitmap())
                extent = splash->getSplashBitmap()->getSize();
            extent = CPoint(std::max<CCoord>(0, clampCoordinate(extent.x)),
                            std::max<CCoord>(0, clampCoordinate(extent.y)));
            splash->setSplashRect(
                CRect(CPoint(clampCoordinate(origin.x), clampCoordinate(origin.y)), extent));
            if (a.getDoubleAttribute("animation-index", number) && number >= 0 && number < 1e6)
                splash->setAnimationIndex(int32_t(number));
            if (a.getDoubleAttribute("animation-time", number) && number >= 0 && number < 1e7)
                splash->setAnimationTime(std::uint32_t(number));
        }
    }

    void applyDisplay(CParamDisplay& display, const UIAttributes& a)
    {
        CColor c;
        if (color(a, "font-color", c)) display.setFontColor(c);
        if (color(a, "back-color", c)) display.setBackColor(c);
        if (color(a, "frame-color", c)) display.setFrameColor(c);
        if (color(a, "shadow-color", c)) display.setShadowColor(c);
        if (const std::string* name = a.getAttributeValue("font"))
        {
            CFontDesc font;
            if (description.getFont(name->c_str(), font)) display.setFont(font);
        }
        double number = 0;
        if (a.getDoubleAttribute("frame-width", number) && number >= 0 && number < 1000)
            display.setFrameWidth(number);
        if (a.getDoubleAttribute("round-rect-radius", number) && number >= 0)
            display.setRoundRectRadius(clampCoordinate(number));
        if (a.getDoubleAttribute("value-precision", number) && number >= 0 && number <= 12)
            display.setPrecision(int32_t(number));
        CPoint inset;
        if (a.getPointAttribute("text-inset", inset))
            display.setTextInset(CPoint(clampCoordinate(inset.x), clampCoordinate(inset.y)));
        if (const std::string* align = a.getAttributeValue("text-alignment"))
        {
            if (*align == "left")
                display.setHoriAlign(kLeftText);
            else if (*align == "right")
                display.setHoriAlign(kRightText);
            else if (*align == "center")
                display.setHoriAlign(kCenterText);
        }
        struct StyleFlag
        {
            const char* attribute;
            int32_t flag;
        };
        static const StyleFlag kStyles[] = {
            {"style-3D-in", k3DIn},
            {"style-3D-out", k3DOut},
            {"style-no-draw", kNoDrawStyle},
            {"style-no-frame", kNoFrame},
            {"style-no-text", kNoTextStyle},
            {"style-round-rect", kRoundRectStyle},
            {"style-shadow-text", kShadowText},
        };
        int32_t style = display.getStyle();
        for (const StyleFlag& entry : kStyles)
        {
            bool on = false;
            if (a.getBooleanAttribute(entry.attribute, on))
                style = on ? (style | entry.flag) : (style & ~entry.flag);
        }
        display.setStyle(style);
        if (auto* edit = dynamic_cast<CTextEdit*>(&display))
            if (const std::string* title = a.getAttributeValue("title")) edit->setText(*title);
    }

    const UIDescription& description;
    std::vector<std::unique_ptr<IController>>* subControllers;
    bool missingBitmap = false;
};

UIDescription::UIDescription(const ResourceTable& resources, UTF8StringPtr fileName)
    : resources(resources), fileName(fileName ? fileName : "")
{}

UIDescription::~UIDescription() = default;

bool UIDescription::parse()
{
    if (parsed) return true;
    const EmbeddedResource* resource = resources.find(fileName.c_str());
    if (!resource || !resource->data) return false;
    auto doc = std::make_unique<Document>();
    if (!parseXmlDocument(resource->data, resource->size, doc->root) ||
        doc->root.name != "vstgui-ui-description")
        return false;

    // Each list is read from the first element of its kind, as the description writes one.
    auto entries = [&doc](const char* list, const char* entry) {
        std::vector<const XmlElement*> found;
        if (const XmlElement* parent = doc->root.child(list))
            for (const XmlElement& element : parent->children)
                if (element.name == entry) found.push_back(&element);
        return found;
    };
    for (const XmlElement* node : entries("bitmaps", "bitmap"))
    {
        const char* name = node->value("name");
        const char* path = node->value("path");
        if (*name && *path) bitmapFiles[name] = path;
    }
    for (const XmlElement* node : entries("control-tags", "control-tag"))
    {
        int32_t tag = -1;
        const char* name = node->value("name");
        if (*name && parseTag(node->value("tag"), tag)) controlTags[name] = tag;
    }
    for (const XmlElement* node : entries("colors", "color"))
    {
        CColor color;
        const char* name = node->value("name");
        if (*name && parseHexColor(node->value("rgba"), color)) colors[name] = color;
    }
    for (const XmlElement* node : entries("fonts", "font"))
    {
        const char* name = node->value("name");
        if (!*name) continue;
        CFontDesc font;
        if (*node->value("font-name")) font.name = node->value("font-name");
        const std::string* sizeText = node->attribute("size");
        double size = sizeText ? std::strtod(sizeText->c_str(), nullptr) : 12;
        if (std::isfinite(size) && size > 0 && size < 500) font.size = size;
        if (isTrueText(node->value("bold"))) font.style |= kBoldFace;
        if (isTrueText(node->value("italic"))) font.style |= kItalicFace;
        fonts[name] = font;
    }
    document = std::move(doc);
    parsed = true;
    return true;
}

std::vector<std::string> UIDescription::getTemplateNames() const
{
    std::vector<std::string> names;
    if (!document) return names;
    for (const XmlElement& node : document->root.children)
        if (node.name == "template") names.emplace_back(node.value("name"));
    return names;
}

bool UIDescription::hasTemplate(UTF8StringPtr name) const
{
    return document && name && document->root.findChild("template", "name", name);
}

bool UIDescription::getTemplateSize(UTF8StringPtr name, CPoint& size) const
{
    if (!hasTemplate(name)) return false;
    UIAttributes attributes = attributesOf(*document->root.findChild("template", "name", name));
    CPoint extent;
    attributes.getPointAttribute("size", extent);
    size = CPoint(std::max<CCoord>(0, clampCoordinate(extent.x)),
                  std::max<CCoord>(0, clampCoordinate(extent.y)));
    return true;
}

CView* UIDescription::createView(UTF8StringPtr name, IController* controller,
                                 std::vector<std::unique_ptr<IController>>* subControllers) const
{
    if (!hasTemplate(name)) return nullptr;
    const XmlElement& node = *document->root.findChild("template", "name", name);
    std::vector<std::unique_ptr<IController>> created;
    ViewBuilder builder(*this, &created);
    std::unique_ptr<CView> view(builder.build(node, controller, 0, true));
    if (!view || builder.failed()) return nullptr;
    if (subControllers)
        for (auto& sub : created)
            subControllers->push_back(std::move(sub));
    return view.release();
}

std::shared_ptr<IPlatformBitmap> UIDescription::loadBitmapFile(const std::string& file) const
{
    const EmbeddedResource* resource = resources.find(file.c_str());
    if (!resource) return nullptr;
    return createPlatformBitmapFromPNG(resource->data, resource->size);
}

std::shared_ptr<CBitmap> UIDescription::getBitmap(UTF8StringPtr name) const
{
    if (!name) return nullptr;
    auto cached = bitmapCache.find(name);
    if (cached != bitmapCache.end()) return cached->second;
    std::shared_ptr<CBitmap> bitmap;
    auto file = bitmapFiles.find(name);
    if (file != bitmapFiles.end())
    {
        if (auto normal = loadBitmapFile(file->second))
        {
            CBitmap::Loader loadDoubled;
            if (const EmbeddedResource* doubled =
                    resources.find(doubleResolutionName(file->second).c_str()))
            {
                // A copy of the encoded bytes: the bitmap may outlive this description.
                auto png = std::make_shared<std::vector<unsigned char>>(
                    doubled->data, doubled->data + doubled->size);
                loadDoubled = [png] {
                    return createPlatformBitmapFromPNG(png->data(), png->size());
                };
            }
            bitmap = std::make_shared<CBitmap>(normal, std::move(loadDoubled));
        }
    }
    bitmapCache[name] = bitmap;
    return bitmap;
}

bool UIDescription::getColor(UTF8StringPtr name, CColor& color) const
{
    if (!name) return false;
    for (const NamedColor& entry : kPredefinedColors)
        if (std::strcmp(entry.name, name) == 0)
        {
            color = entry.color;
            return true;
        }
    auto it = colors.find(name);
    if (it != colors.end())
    {
        color = it->second;
        return true;
    }
    return parseHexColor(name, color);
}

bool UIDescription::getFont(UTF8StringPtr name, CFontDesc& font) const
{
    if (!name) return false;
    for (const NamedFont& entry : kPredefinedFonts)
        if (std::strcmp(entry.name, name) == 0)
        {
            font = CFontDesc();
            font.size = entry.size;
            return true;
        }
    auto it = fonts.find(name);
    if (it == fonts.end()) return false;
    font = it->second;
    return true;
}

int32_t UIDescription::getTagForName(UTF8StringPtr name) const
{
    if (!name) return -1;
    auto it = controlTags.find(name);
    return it == controlTags.end() ? -1 : it->second;
}

UTF8StringPtr UIDescription::lookupControlTagName(int32_t tag) const
{
    for (const auto& entry : controlTags)
        if (entry.second == tag) return entry.first.c_str();
    return nullptr;
}

} // namespace VSTGUI
