// SPDX-License-Identifier: GPL-3.0-or-later
// VST3Editor: the editor a controller hands to the host as its IPlugView. It builds the views
// of one template of an editor description, binds every control to the controller's parameter
// with the control's tag, and performs the user's edits on the controller (beginEdit,
// performEdit, endEdit, and the controller's own value).
//
// Size: the template's size times the zoom factor (1 to 2, chosen by the user through the
// delegate) times the host's content scale factor, rounded to whole pixels. The views keep the
// template's coordinates; only drawing and the window scale. A new zoom asks the host for the
// new size and takes effect only when the host agrees. Hosts that let the user drag the
// window's edges are told the sizes of the zoom steps (100, 125, 150, 175 and 200 %), the one
// nearest to where the user drags.
//
// The delegate may add to the editor: a context menu on the background, texts that read-outs
// show while their control is moved, and questions asked inside the editor (askForText,
// askYesNo), which neither need nor open a native dialog.
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

#include <functional>

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

class ParameterBinding;
class IPlatformWindow;
class COptionMenu;

class VST3Editor : public Steinberg::Vst::EditorView,
                   public Steinberg::IPlugViewContentScaleSupport,
                   public IController,
                   public VSTGUIEditorInterface,
                   public IMouseObserver
{
public:
    static constexpr double kMinZoomFactor = 1.0;
    static constexpr double kMaxZoomFactor = 2.0;
    /** The sizes a host's free resizing snaps to. */
    static constexpr double kZoomSteps[] = {1.0, 1.25, 1.5, 1.75, 2.0};

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

    /** Zooms the editor to `zoom` (kMinZoomFactor .. kMaxZoomFactor). While the editor is open
     *  the host is asked to resize (IPlugFrame::resizeView); when it refuses, the editor keeps
     *  its size and zoom. Before the editor opens (right after creating it) it simply opens at
     *  that zoom. False for a refused resize or a zoom out of range. */
    bool setZoomFactor(double zoom);
    double getZoomFactor() const { return zoom; }
    /** Device pixels per template pixel: zoom times the host's content scale. */
    double getScaleFactor() const { return zoom * contentScale; }

    using TextPromptDone = std::function<void(bool accepted, const std::string& text)>;
    using YesNoPromptDone = std::function<void(bool yes)>;
    /** Asks for a line of text inside the editor: `title` over a field holding `initialText`
     *  (selected). Enter accepts, Escape or a click outside cancels; `done` hears the answer
     *  once, also when the editor closes first (declined). A question still open is declined. */
    void askForText(UTF8StringPtr title, UTF8StringPtr initialText, TextPromptDone done);
    /** Asks a yes-or-no question inside the editor, "No" highlighted at first. */
    void askYesNo(UTF8StringPtr title, YesNoPromptDone done, UTF8StringPtr yesTitle = "Yes",
                  UTF8StringPtr noTitle = "No");
    /** True while a question of askForText or askYesNo waits for its answer. */
    bool isPromptOpen() const;
    /** The context menu last shown, while it exists (null otherwise). */
    COptionMenu* getContextMenu() const { return contextMenu.get(); }

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
    /** A size the host gives: the editor takes the largest zoom step that fits in it (at least
     *  100 %) and keeps its own size otherwise. */
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) SMTG_OVERRIDE;
    /** False: the size changes only in zoom steps, through the menu or the content scale. A
     *  resizable window would let hosts keep it at least as large as it opened (Ardour does),
     *  so that a smaller zoom chosen later snapped back to the larger one. */
    Steinberg::tresult PLUGIN_API canResize() SMTG_OVERRIDE { return Steinberg::kResultFalse; }
    /** Changes `rect` to the size of the zoom step nearest to it. */
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

    //--- IMouseObserver: gesture texts while hovering, the context menu
    void onMouseEntered(CView* view, CFrame* frame) override;
    void onMouseExited(CView* view, CFrame* frame) override;
    CMouseEventResult onMouseDown(CFrame* frame, const CPoint& where,
                                  const CButtonState& buttons) override;

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
    Steinberg::ViewRect rectForZoom(double zoomFactor) const;
    /** Takes `zoomFactor` without asking the host (it asked, or is not there yet). */
    void applyZoom(double zoomFactor);
    /** Gesture texts on for the parameters whose control is hovered or being edited. */
    void updateGestureTexts();
    void cancelPrompts();

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
    double zoom = 1.0;
    std::unique_ptr<COptionMenu> contextMenu;
    int32_t hoveredTag = -1;
    std::vector<int32_t> editedTags;
};

} // namespace VSTGUI
