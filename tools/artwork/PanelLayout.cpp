// SPDX-License-Identifier: GPL-3.0-or-later
#include "PanelLayout.h"

#include <pugixml.hpp>

#include <cstdio>
#include <stdexcept>

namespace Brask {
namespace Artwork {

namespace {

bool readPair(const pugi::xml_node& node, const char* name, double& a, double& b)
{
    return std::sscanf(node.attribute(name).as_string(), "%lf , %lf", &a, &b) == 2;
}

void collect(const pugi::xml_node& container, double offsetX, double offsetY, PanelLayout& layout)
{
    for (const pugi::xml_node& view : container.children("view"))
    {
        PlacedControl control;
        control.className = view.attribute("class").as_string();
        control.tagName = view.attribute("control-tag").as_string();
        control.bitmap = view.attribute("bitmap").as_string();
        control.frames = view.attribute("sub-pixmaps").as_int(1);
        double x = 0, y = 0, w = 0, h = 0;
        readPair(view, "origin", x, y);
        readPair(view, "size", w, h);
        control.frame = {offsetX + x, offsetY + y, w, h};
        layout.controls.push_back(control);
        collect(view, offsetX + x, offsetY + y, layout);
    }
}

} // namespace

const PlacedControl& PanelLayout::find(const std::string& className,
                                       const std::string& tagName) const
{
    for (const PlacedControl& control : controls)
        if (control.className == className && control.tagName == tagName) return control;
    throw std::runtime_error("the description has no " + className + " bound to " + tagName);
}

PanelLayout readPanelLayout(const std::string& descriptionPath)
{
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(descriptionPath.c_str());
    if (!parsed)
        throw std::runtime_error("cannot read " + descriptionPath + ": " + parsed.description());

    const pugi::xml_node editor = document.child("vstgui-ui-description")
                                      .find_child_by_attribute("template", "name", "Editor");
    if (!editor) throw std::runtime_error(descriptionPath + " has no template \"Editor\"");

    PanelLayout layout;
    double x = 0, y = 0;
    readPair(editor, "origin", x, y);
    if (!readPair(editor, "size", layout.width, layout.height))
        throw std::runtime_error("the template \"Editor\" in " + descriptionPath + " has no size");
    collect(editor, 0, 0, layout);
    return layout;
}

} // namespace Artwork
} // namespace Brask
