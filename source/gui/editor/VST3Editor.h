// SPDX-License-Identifier: GPL-3.0-or-later
// VST3Editor: the editor a controller hands to the host as its IPlugView. It builds the views
// of one template of an editor description, binds every control to the controller's parameter
// with the control's tag, and performs the user's edits on the controller (beginEdit,
// performEdit, endEdit, and the controller's own value). The editor has the template's fixed
// size, scaled by the host's content scale factor.
//
// Threads: the host calls every operation on its UI thread. On Linux the editor lives in an X11
// child window of the host's window and is driven only by the host's IRunLoop (an event
// handler on the X connection, and a timer while something animates); on Windows in a Win32
// child window served by the host's message loop. It starts no thread.
#pragma once

#include "description/EmbeddedResources.h"
#include "description/IController.h"
#include "description/UIDescription.h"
#include "editor/VST3EditorDelegate.h"
#include "views/CFrame.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

class ParameterBinding;
class IPlatformWindow;

class VST3Editor : public Steinberg::Vst::EditorView,
                   public Steinberg::IPlugViewContentScaleSupport,
                   public IController,
                   public VSTGUIEditorInterface
{
public:
    /** An editor on template `templateName` of the description `xmlFile` in the module's own
     *  resources (moduleResources()). */
    VST3Editor(Steinberg::Vst::EditController* controller, UTF8StringPtr templateName,
               UTF8StringPtr xmlFile);
    /** The same with the description and bitmaps taken from `resources`, which must outlive
     *  the editor. */
    VST3Editor(Steinberg::Vst::EditController* controller, UTF8StringPtr templateName,
               UTF8StringPtr xmlFile, const ResourceTable& resources);
    ~VST3Editor() override;

    /** The view tree; always present, empty when the description could not be used. */
    CFrame* getFrame() const { return frame.get(); }
    const UIDescription* getUIDescription() const { return description.get(); }
    VST3EditorDelegate* getDelegate() const { return delegate; }
    const std::string& getTemplateName() const { return templateName; }
    /** The template's size in editor pixels (0 x 0 when there is no such template). */
    CPoint getEditorSize() const { return editorSize; }
    double getContentScaleFactor() const { return contentScale; }
    /** The binding of a parameter ID, null when no control is bound to it. */
    ParameterBinding* getBinding(Steinberg::Vst::ParamID id) const;
    /** Renders the whole editor off-screen into a PNG file at `scale`. */
    bool renderToPNG(UTF8StringPtr path, double scale = 1.0) const;

    //--- IPlugView
    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) SMTG_OVERRIDE;
    /** Opens the editor in the host's window. kResultFalse for another platform type, a frame
     *  without IRunLoop (Linux) or when no window could be made (no X server, no such HWND). */
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) SMTG_OVERRIDE;
    /** Closes the window and unregisters everything; the editor can be attached again. */
    Steinberg::tresult PLUGIN_API removed() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API onWheel(float distance) SMTG_OVERRIDE;
    /** kResultTrue only when a text field being typed into or an open menu used the key. */
    Steinberg::tresult PLUGIN_API onKeyDown(Steinberg::char16 key, Steinberg::int16 keyMsg,
                                            Steinberg::int16 modifiers) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API onKeyUp(Steinberg::char16 key, Steinberg::int16 keyMsg,
                                          Steinberg::int16 modifiers) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canResize() SMTG_OVERRIDE { return Steinberg::kResultFalse; }
    Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* rect) SMTG_OVERRIDE;

    //--- IPlugViewContentScaleSupport
    /** Redraws everything at `factor` and asks the host for the new size. */
    Steinberg::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) SMTG_OVERRIDE;

    //--- IController / CControlListener: the edits of controls bound to parameters
    void valueChanged(CControl* control) override;
    void controlBeginEdit(CControl* control) override;
    void controlEndEdit(CControl* control) override;
    CView* createView(const UIAttributes& attributes, const IUIDescription* description) override;
    CView* verifyView(CView* view, const UIAttributes& attributes,
                      const IUIDescription* description) override;
    IController* createSubController(UTF8StringPtr name,
                                     const IUIDescription* description) override;

    //--- VSTGUIEditorInterface
    int32_t getKnobMode() const override;

    //--- FUnknown
    OBJ_METHODS(VST3Editor, EditorView)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::IPlugViewContentScaleSupport)
    END_DEFINE_INTERFACES(EditorView)
    REFCOUNT_METHODS(EditorView)

private:
    void init(UTF8StringPtr templateName, UTF8StringPtr xmlFile);
    void bindControls(CView* view);
    void deleteClosedWindows();
    Steinberg::ViewRect scaledRect() const;

    const ResourceTable& resources;
    std::string templateName;
    VST3EditorDelegate* delegate = nullptr;
    std::unique_ptr<UIDescription> description;
    std::vector<std::unique_ptr<IController>> subControllers;
    std::unique_ptr<CFrame> frame;
    std::map<Steinberg::Vst::ParamID, ParameterBinding*> bindings;
    std::unique_ptr<IPlatformWindow> window;
    // Windows closed from inside their own event dispatch, deleted once it has returned.
    std::vector<std::unique_ptr<IPlatformWindow>> closedWindows;
    CPoint editorSize;
    double contentScale = 1.0;
};

} // namespace VSTGUI
