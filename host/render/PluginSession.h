// SPDX-License-Identifier: GPL-3.0-or-later
// The plug-in as brask-render holds it: module loaded from a bundle, one instrument instance, its
// preset files and the parameter settings given by title on the command line.
#pragma once

#include "ComponentHandler.h"
#include "PluginModule.h"

#include "PluginInstance.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Steinberg::Vst::Tarvik::Render {

class PluginSession
{
public:
    /** Loads the bundle and creates its instrument; null with a message when the bundle is not a
        VST 3 module or holds no instrument. */
    static std::unique_ptr<PluginSession> open(const std::string& bundlePath, std::string& error);

    /** Loads a .vstpreset file into processor and controller (before the instance starts). A
        file whose chunks do not fit, that belongs to another plug-in or whose state the plug-in
        refuses is not applied, and error says why in one line. */
    bool loadPreset(const std::string& path, std::string& error);
    /** Writes the processor's state (and the controller's, where it keeps one) as a .vstpreset
        file; the file appears only when complete. */
    bool savePreset(const std::string& path, std::string& error);

    /** Applies "Title=value" to the controller and records it for the processor. The value is a
        normalized number in 0..1, or else a display text converted by the controller. */
    bool applySetting(const std::string& setting, std::string& error);
    /** Finds the parameter of a title and converts the value text as applySetting does,
        without applying anything; with asDisplayText, a number is read as a display text too. */
    bool resolveSetting(const std::string& title, const std::string& text, ParamID& id,
                        ParamValue& value, std::string& error, bool asDisplayText = false) const;
    /** Every setting applied so far, in order, for the processor's first block. */
    const std::vector<std::pair<ParamID, ParamValue>>& settings() const { return applied; }

    /** One line per parameter: ID, title, normalized value and display text. */
    void listParameters(std::ostream& out) const;

    Hosting::PluginInstance& instance() { return *pluginInstance; }

private:
    PluginSession() = default;

    // The instance is released before the module that holds its code, and before the handler
    // its controller reports to.
    std::unique_ptr<Host::PluginModule> module;
    Host::ComponentHandler handler;
    std::unique_ptr<Hosting::PluginInstance> pluginInstance;
    std::vector<std::pair<ParamID, ParamValue>> applied;
};

/** Splits "Title=value" at the first '='; false when there is no '=' or no title. */
bool splitSetting(const std::string& setting, std::string& title, std::string& value);

} // namespace Steinberg::Vst::Tarvik::Render
