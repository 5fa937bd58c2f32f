// SPDX-License-Identifier: GPL-3.0-or-later
#include "PluginSession.h"
#include "RenderPlatform.h"

#include "FactoryBank.h"
#include "PendingFile.h"
#include "VstPresetFile.h"

#include "Utf16.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <unistd.h>

namespace Steinberg::Vst::Tarvik::Render {

namespace {

bool hasSubCategory(const char* list, const std::string& wanted)
{
    const std::string categories = list;
    size_t start = 0;
    while (start <= categories.size())
    {
        size_t end = categories.find('|', start);
        if (end == std::string::npos) end = categories.size();
        if (categories.compare(start, end - start, wanted) == 0) return true;
        start = end + 1;
    }
    return false;
}

/** Whether the factory's first audio processor class lists "Instrument" among its
    sub-categories (which only a factory with class descriptions of version 2 can say). */
bool firstProcessorIsInstrument(IPluginFactory* factory)
{
    PClassInfo2 info;
    return Hosting::PluginInstance::firstAudioClass(factory, info) &&
           hasSubCategory(info.subCategories, "Instrument");
}

bool isNormalized(double value)
{
    return value >= 0.0 && value <= 1.0; // false for NaN
}

/** Four printable characters packed into an ID, as 'abcd'; empty otherwise. */
std::string fourCharacters(ParamID id)
{
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = static_cast<char>((id >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) return "";
        text += c;
    }
    return text + "'";
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

bool splitSetting(const std::string& setting, std::string& title, std::string& value)
{
    const size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    title = setting.substr(0, equals);
    value = setting.substr(equals + 1);
    return true;
}

std::unique_ptr<PluginSession> PluginSession::open(const std::string& bundlePath,
                                                   std::string& error)
{
    std::unique_ptr<PluginSession> session(new PluginSession());
    session->module = Host::PluginModule::load(bundlePath, error);
    if (!session->module) return nullptr;

    // Checked on the class description before anything is created: the instance is made from
    // the module's first audio processor class.
    if (!firstProcessorIsInstrument(session->module->factory()))
    {
        error = bundlePath + " holds no instrument";
        return nullptr;
    }
    session->pluginInstance =
        Hosting::PluginInstance::create(session->module->factory(), &session->handler, error);
    if (!session->pluginInstance)
    {
        error = bundlePath + ": " + error;
        return nullptr;
    }
    return session;
}

bool PluginSession::loadPreset(const std::string& path, std::string& error)
{
    Presets::VstPreset preset;
    if (!Presets::VstPresetFile::read(path, preset, error)) return false;
    const FUID processorClass = FUID::fromTUID(pluginInstance->processorClass().cid);
    if (preset.classId != processorClass)
    {
        error = path + " is a preset for another plug-in";
        return false;
    }
    if (!pluginInstance->restoreProcessorState(preset.componentState))
    {
        error = path + " holds no state the plug-in accepts";
        return false;
    }
    if (preset.hasControllerState && !preset.controllerState.empty())
    {
        const tresult result = pluginInstance->restoreControllerState(preset.controllerState);
        if (result != kResultOk && result != kNotImplemented)
        {
            error = path + " holds a controller state the plug-in refuses";
            return false;
        }
    }
    return true;
}

bool PluginSession::savePreset(const std::string& path, std::string& error)
{
    IPtr<MemoryStream> bytes = owned(new MemoryStream());
    PresetFile preset(bytes);
    preset.setClassID(FUID::fromTUID(pluginInstance->processorClass().cid));
    std::vector<uint8> processorState;
    std::vector<uint8> controllerState;
    bool written = preset.writeHeader() && pluginInstance->processorState(processorState) &&
                   preset.writeChunk(processorState.data(),
                                     static_cast<int32>(processorState.size()), kComponentState);
    if (written && pluginInstance->controllerState(controllerState) && !controllerState.empty())
        written = preset.writeChunk(controllerState.data(),
                                    static_cast<int32>(controllerState.size()), kControllerState);
    written = written && preset.writeChunkList();
    if (!written)
    {
        error = "the plug-in's state could not be stored";
        return false;
    }

    PendingFile file;
    const int fd = file.create(path, error);
    if (fd < 0) return false;
    const bool complete = writeAll(fd, bytes->getData(), static_cast<size_t>(bytes->getSize())) &&
                          Platform::syncFile(fd);
    const int savedErrno = errno;
    if (::close(fd) != 0 || !complete)
    {
        error = "cannot write " + path + ": " + std::strerror(complete ? errno : savedErrno);
        return false;
    }
    return file.commit(error);
}

bool PluginSession::resolveSetting(const std::string& title, const std::string& text, ParamID& id,
                                   ParamValue& value, std::string& error, bool asDisplayText) const
{
    ParameterInfo info{};
    if (!pluginInstance->findParameter(title, info))
    {
        error = "unknown parameter \"" + title + "\" (--list-params shows the titles)";
        return false;
    }
    id = info.id;
    if (!asDisplayText && Presets::parseNumber(text, value))
    {
        if (isNormalized(value)) return true;
        error = "value " + text + " for \"" + title + "\" is outside 0..1";
        return false;
    }
    String128 string{};
    Hosting::toString128(text, string);
    if (pluginInstance->controller()->getParamValueByString(info.id, string, value) != kResultOk ||
        !isNormalized(value))
    {
        error = "\"" + text + "\" is not a value of \"" + title + "\"";
        return false;
    }
    return true;
}

bool PluginSession::applySetting(const std::string& setting, std::string& error)
{
    std::string title;
    std::string text;
    if (!splitSetting(setting, title, text))
    {
        error = "--set needs \"Title=value\", not \"" + setting + "\"";
        return false;
    }
    ParamID id = 0;
    ParamValue value = 0.0;
    if (!resolveSetting(title, text, id, value, error)) return false;
    pluginInstance->controller()->setParamNormalized(id, value);
    applied.emplace_back(id, value);
    return true;
}

void PluginSession::listParameters(std::ostream& out) const
{
    IEditController* controller = pluginInstance->controller();
    char line[512];
    std::snprintf(line, sizeof(line), "%10s  %-6s  %-20s  %-6s  %s\n", "ID", "", "Title", "Value",
                  "Display");
    out << line;
    for (const ParameterInfo& info : pluginInstance->parameters())
    {
        const ParamValue value = controller->getParamNormalized(info.id);
        String128 display{};
        if (controller->getParamStringByValue(info.id, value, display) != kResultOk) display[0] = 0;
        std::snprintf(line, sizeof(line), "%10u  %-6s  %-20s  %.4f  %s\n", info.id,
                      fourCharacters(info.id).c_str(), Hosting::toUtf8(info.title).c_str(), value,
                      Hosting::toUtf8(display).c_str());
        out << line;
    }
}

} // namespace Steinberg::Vst::Tarvik::Render
