// SPDX-License-Identifier: GPL-3.0-or-later
// UIDescription: an editor description (XML) read from a resource table: its bitmaps, colours,
// fonts, control tags and templates, and the views a template builds. Bitmaps are looked up by
// the file names the description gives them; a file name with "#2x" before the extension is
// the same bitmap at double resolution.
//
// Damaged input never gets past this class: a malformed document has no templates, and a
// template that refers to a bitmap that is missing or not a valid PNG builds no views.
#pragma once

#include "description/EmbeddedResources.h"
#include "description/IUIDescription.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

class CView;
class IController;

class UIDescription : public IUIDescription
{
public:
    /** Nesting depth beyond which views are not built (a guard against hostile documents). */
    static constexpr int kMaxViewDepth = 64;

    /** Describes the document `fileName` of `resources`; the table must outlive this object. */
    UIDescription(const ResourceTable& resources, UTF8StringPtr fileName);
    ~UIDescription() override;

    /** Reads the document; false when it is missing or not well-formed XML of the right kind. */
    bool parse();
    bool isParsed() const { return parsed; }

    std::vector<std::string> getTemplateNames() const;
    bool hasTemplate(UTF8StringPtr name) const;
    /** The template's size attribute; false for an unknown template. */
    bool getTemplateSize(UTF8StringPtr name, CPoint& size) const;
    /** Builds the views of template `name` with `controller` as the top controller. Null for an
     *  unknown template or one whose bitmaps cannot all be loaded. Sub-controllers created on
     *  the way are appended to `subControllers`, which takes ownership. */
    CView* createView(UTF8StringPtr name, IController* controller,
                      std::vector<std::unique_ptr<IController>>* subControllers = nullptr) const;

    //--- IUIDescription
    std::shared_ptr<CBitmap> getBitmap(UTF8StringPtr name) const override;
    bool getColor(UTF8StringPtr name, CColor& color) const override;
    bool getFont(UTF8StringPtr name, CFontDesc& font) const override;
    int32_t getTagForName(UTF8StringPtr name) const override;
    UTF8StringPtr lookupControlTagName(int32_t tag) const override;

private:
    struct Document;
    class ViewBuilder;

    std::shared_ptr<IPlatformBitmap> loadBitmapFile(const std::string& fileName) const;

    const ResourceTable& resources;
    std::string fileName;
    bool parsed = false;
    std::unique_ptr<Document> document;
    std::map<std::string, std::string> bitmapFiles;
    std::map<std::string, CColor> colors;
    std::map<std::string, CFontDesc> fonts;
    std::map<std::string, int32_t> controlTags;
    mutable std::map<std::string, std::shared_ptr<CBitmap>> bitmapCache;
};

} // namespace VSTGUI
