// SPDX-License-Identifier: GPL-3.0-or-later
// brask-juce-host: a plug-in's editor in a JUCE window, through JUCE's own VST 3 hosting, as
// JUCE-based hosts show it. It prints the editor component's size whenever it changes, so that
// a test sees what the host made of a resize request.
//
// Usage: brask-juce-host BUNDLE.vst3
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>
#include <memory>

namespace {

class SizeReport : public juce::ComponentListener
{
public:
    void componentMovedOrResized(juce::Component& component, bool, bool wasResized) override
    {
        if (wasResized)
            std::cout << "editor " << component.getWidth() << "x" << component.getHeight()
                      << std::endl;
    }
};

class HostWindow : public juce::DocumentWindow
{
public:
    HostWindow()
        : DocumentWindow("Brask in a JUCE host", juce::Colours::black, DocumentWindow::closeButton)
    {}

    void closeButtonPressed() override { juce::JUCEApplicationBase::quit(); }
};

class JuceHost : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "brask-juce-host"; }
    const juce::String getApplicationVersion() override { return "1"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise(const juce::String& commandLine) override
    {
        const juce::String bundle = commandLine.unquoted().trim();
        juce::VST3PluginFormat vst3;
        juce::OwnedArray<juce::PluginDescription> found;
        vst3.findAllTypesForFile(found, bundle);
        if (found.isEmpty()) return stop("no VST 3 plug-in in " + bundle);
        juce::String error;
        plugin = vst3.createInstanceFromDescription(*found[0], 48000.0, 512, error);
        if (plugin == nullptr) return stop("not loaded: " + error);
        editor.reset(plugin->createEditorIfNeeded());
        if (editor == nullptr) return stop("the plug-in has no editor");
        editor->addComponentListener(&sizeReport);
        window = std::make_unique<HostWindow>();
        window->setUsingNativeTitleBar(true);
        window->setContentNonOwned(editor.get(), true);
        window->setTopLeftPosition(0, 0);
        window->setVisible(true);
        std::cout << "loaded " << found[0]->name << ", editor " << editor->getWidth() << "x"
                  << editor->getHeight() << std::endl;
    }

    void shutdown() override
    {
        window = nullptr;
        if (editor != nullptr)
        {
            editor->removeComponentListener(&sizeReport);
            plugin->editorBeingDeleted(editor.get());
        }
        editor = nullptr;
        plugin = nullptr;
    }

private:
    void stop(const juce::String& message)
    {
        std::cout << message << std::endl;
        setApplicationReturnValue(1);
        quit();
    }

    SizeReport sizeReport;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    std::unique_ptr<HostWindow> window;
};

} // namespace

START_JUCE_APPLICATION(JuceHost)
