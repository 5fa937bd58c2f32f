// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/VST3Editor.h"

#include "editor/ParameterBinding.h"
#include "platform/IPlatformWindow.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/CConfirmPrompt.h"
#include "views/CControl.h"
#include "views/COptionMenu.h"
#include "views/CTextPrompt.h"

#include "base/source/updatehandler.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The host's virtual key codes and modifier bits (IPlugView::onKeyDown).
enum HostKey : int16
{
    kHostBack = 1,
    kHostTab = 2,
    kHostReturn = 4,
    kHostEscape = 6,
    kHostSpace = 7,
    kHostEnd = 9,
    kHostHome = 10,
    kHostLeft = 11,
    kHostUp = 12,
    kHostRight = 13,
    kHostDown = 14,
    kHostPageUp = 15,
    kHostPageDown = 16,
    kHostEnter = 19,
    kHostDelete = 22,
};
enum HostModifier : int16
{
    kHostShift = 1 << 0,
    kHostAlternate = 1 << 1,
    kHostCommand = 1 << 2,
    kHostControl = 1 << 3,
};

VstKeyCode translateHostKey(char16 key, int16 keyMsg, int16 modifiers)
{
    VstKeyCode code;
    if (modifiers & kHostShift) code.modifier |= MODIFIER_SHIFT;
    if (modifiers & kHostAlternate) code.modifier |= MODIFIER_ALTERNATE;
    if (modifiers & kHostCommand) code.modifier |= MODIFIER_COMMAND;
    if (modifiers & kHostControl) code.modifier |= MODIFIER_CONTROL;
    switch (keyMsg)
    {
    case kHostBack:
        code.virt = VKEY_BACK;
        break;
    case kHostTab:
        code.virt = VKEY_TAB;
        break;
    case kHostReturn:
        code.virt = VKEY_RETURN;
        break;
    case kHostEscape:
        code.virt = VKEY_ESCAPE;
        break;
    case kHostSpace:
        code.virt = VKEY_SPACE;
        break;
    case kHostEnd:
        code.virt = VKEY_END;
        break;
    case kHostHome:
        code.virt = VKEY_HOME;
        break;
    case kHostLeft:
        code.virt = VKEY_LEFT;
        break;
    case kHostUp:
        code.virt = VKEY_UP;
        break;
    case kHostRight:
        code.virt = VKEY_RIGHT;
        break;
    case kHostDown:
        code.virt = VKEY_DOWN;
        break;
    case kHostPageUp:
        code.virt = VKEY_PAGEUP;
        break;
    case kHostPageDown:
        code.virt = VKEY_PAGEDOWN;
        break;
    case kHostEnter:
        code.virt = VKEY_ENTER;
        break;
    case kHostDelete:
        code.virt = VKEY_DELETE;
        break;
    default:
        break;
    }
    if (code.virt != VKEY_NONE) return code;
    // Hosts that send control characters instead of virtual keys.
    switch (key)
    {
    case 0:
        break;
    case 8:
        code.virt = VKEY_BACK;
        break;
    case 9:
        code.virt = VKEY_TAB;
        break;
    case 13:
        code.virt = VKEY_RETURN;
        break;
    case 27:
        code.virt = VKEY_ESCAPE;
        break;
    case 127:
        code.virt = VKEY_DELETE;
        break;
    default:
        code.character = key;
        break;
    }
    return code;
}

} // namespace

VST3Editor::VST3Editor(EditController* controller, UTF8StringPtr templateName,
                       UTF8StringPtr xmlFile, const ResourceTable& resources)
    : EditorView(controller), resources(resources)
{
    init(templateName, xmlFile);
}

void VST3Editor::init(UTF8StringPtr name, UTF8StringPtr xmlFile)
{
    templateName = name ? name : "";
    delegate = dynamic_cast<VST3EditorDelegate*>(controller);
    // Parameters tell their bindings about changes through the SDK's update handler.
    UpdateHandler::instance();

    description = std::make_unique<UIDescription>(resources, xmlFile);
    CView* content = nullptr;
    if (description->parse() && description->getTemplateSize(templateName.c_str(), editorSize))
        content = description->createView(templateName.c_str(), this, &subControllers);
    frame = std::make_unique<CFrame>(CRect(CPoint(), editorSize), this);
    frame->registerMouseObserver(this);
    if (content)
    {
        // The template's own origin is ignored: it fills the editor.
        content->setViewSize(CRect(CPoint(), editorSize));
        frame->addView(content);
        bindControls(content);
    }
    frame->clearDirtyRect();
    rect = scaledRect();
}

VST3Editor::~VST3Editor()
{
    if (window) removed();
    cancelPrompts();
    for (auto& entry : bindings)
        entry.second->release();
    bindings.clear();
    frame.reset();
    subControllers.clear();
}

void VST3Editor::bindControls(CView* view)
{
    if (auto* container = dynamic_cast<CViewContainer*>(view))
    {
        for (std::size_t i = 0; i < container->getNbViews(); ++i)
            bindControls(container->getView(i));
        return;
    }
    auto* control = dynamic_cast<CControl*>(view);
    if (!control || control->getTag() == -1 || !controller) return;
    auto id = static_cast<ParamID>(control->getTag());
    Parameter* parameter = controller->getParameterObject(id);
    if (!parameter) return; // tags without a parameter bind to nothing
    ParameterBinding*& binding = bindings[id];
    if (!binding) binding = new ParameterBinding(controller, parameter, delegate);
    binding->addControl(control);
}

void VST3Editor::deleteClosedWindows()
{
    closedWindows.erase(std::remove_if(closedWindows.begin(), closedWindows.end(),
                                       [](const std::unique_ptr<IPlatformWindow>& closed) {
                                           return !closed->isDispatching();
                                       }),
                        closedWindows.end());
}

ParameterBinding* VST3Editor::getBinding(ParamID id) const
{
    auto it = bindings.find(id);
    return it == bindings.end() ? nullptr : it->second;
}

bool VST3Editor::renderToPNG(UTF8StringPtr path, double scale) const
{
    return VSTGUI::renderToPNG(*frame, scale, path);
}

ViewRect VST3Editor::rectForZoom(double zoomFactor) const
{
    const double scale = zoomFactor * contentScale;
    return ViewRect(0, 0, static_cast<int32>(std::lround(editorSize.x * scale)),
                    static_cast<int32>(std::lround(editorSize.y * scale)));
}

ViewRect VST3Editor::scaledRect() const
{
    return rectForZoom(zoom);
}

//--- zoom ------------------------------------------------------------------------------------

bool VST3Editor::setZoomFactor(double zoomFactor)
{
    if (!(zoomFactor >= kMinZoomFactor && zoomFactor <= kMaxZoomFactor)) return false;
    if (zoomFactor == zoom) return true;
    if (window)
    {
        // Open in a host that cannot be asked: its window could not follow.
        if (!plugFrame) return false;
        // Hosts may call onSize from inside resizeView, which must find the new size expected.
        const double previous = zoom;
        zoom = zoomFactor;
        rect = scaledRect();
        ViewRect wanted = rect;
        const bool agreed = plugFrame->resizeView(this, &wanted) == kResultTrue;
        zoom = previous;
        rect = scaledRect();
        if (!agreed || !window) return false;
    }
    applyZoom(zoomFactor);
    return true;
}

void VST3Editor::applyZoom(double zoomFactor)
{
    zoom = zoomFactor;
    rect = scaledRect();
    if (window) window->setContentScale(getScaleFactor());
    frame->invalid();
}

//--- questions -------------------------------------------------------------------------------

void VST3Editor::askForText(UTF8StringPtr title, UTF8StringPtr initialText, TextPromptDone done)
{
    cancelPrompts();
    if (editorSize.x <= 0 || editorSize.y <= 0)
    {
        if (done) done(false, std::string());
        return;
    }
    auto* prompt = new CTextPrompt(frame->getViewSize(), title, initialText, std::move(done));
    frame->addOverlay(prompt, true);
    prompt->open();
}

void VST3Editor::askYesNo(UTF8StringPtr title, YesNoPromptDone done, UTF8StringPtr yesTitle,
                          UTF8StringPtr noTitle)
{
    cancelPrompts();
    if (editorSize.x <= 0 || editorSize.y <= 0)
    {
        if (done) done(false);
        return;
    }
    frame->addOverlay(
        new CConfirmPrompt(frame->getViewSize(), title, std::move(done), yesTitle, noTitle), true);
}

bool VST3Editor::isPromptOpen() const
{
    for (std::size_t i = 0; i < frame->getNbOverlays(); ++i)
        if (auto* prompt = dynamic_cast<CPromptView*>(frame->getOverlay(i)))
            if (!prompt->isFinished()) return true;
    return false;
}

void VST3Editor::cancelPrompts()
{
    std::vector<CPromptView*> open;
    for (std::size_t i = 0; i < frame->getNbOverlays(); ++i)
        if (auto* prompt = dynamic_cast<CPromptView*>(frame->getOverlay(i))) open.push_back(prompt);
    // Declining one removes it from the overlays; the frame deletes it only later.
    for (CPromptView* prompt : open)
        prompt->cancel();
}

//--- IPlugView -------------------------------------------------------------------------------

tresult PLUGIN_API VST3Editor::isPlatformTypeSupported(FIDString type)
{
    return isPlatformWindowTypeSupported(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VST3Editor::attached(void* parent, FIDString type)
{
    if (window || !parent || !isPlatformWindowTypeSupported(type)) return kResultFalse;
    deleteClosedWindows();
    window =
        createPlatformWindow(parent, type, plugFrame, frame.get(), editorSize, getScaleFactor());
    if (!window) return kResultFalse;
    frame->setPlatformFrame(window.get());
    CPluginView::attached(parent, type);
    if (delegate) delegate->didOpen(this);
    return kResultTrue;
}

tresult PLUGIN_API VST3Editor::removed()
{
    if (!window) return kResultFalse;
    if (delegate) delegate->willClose(this);
    // Questions, typing and open popups end with the window.
    cancelPrompts();
    frame->setFocusView(nullptr);
    while (frame->getNbOverlays() > 0)
        frame->removeOverlay(frame->getOverlay(frame->getNbOverlays() - 1));
    CPoint nowhere(-1, -1);
    frame->onMouseUp(nowhere, CButtonState());
    frame->platformOnMouseExited();
    hoveredTag = -1;
    editedTags.clear();
    updateGestureTexts();
    frame->setPlatformFrame(nullptr);
    window->close();
    closedWindows.push_back(std::move(window));
    deleteClosedWindows();
    return CPluginView::removed();
}

tresult PLUGIN_API VST3Editor::onWheel(float distance)
{
    // The host sends no position; the wheel goes nowhere without one.
    (void)distance;
    return kResultFalse;
}

tresult PLUGIN_API VST3Editor::onKeyDown(char16 key, int16 keyMsg, int16 modifiers)
{
    VstKeyCode code = translateHostKey(key, keyMsg, modifiers);
    return frame->onKeyDown(code) == 1 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VST3Editor::onKeyUp(char16 key, int16 keyMsg, int16 modifiers)
{
    VstKeyCode code = translateHostKey(key, keyMsg, modifiers);
    return frame->onKeyUp(code) == 1 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VST3Editor::onSize(ViewRect* newSize)
{
    if (!newSize) return kInvalidArgument;
    const ViewRect own = scaledRect();
    if (newSize->getWidth() == own.getWidth() && newSize->getHeight() == own.getHeight())
    {
        rect = own;
        return kResultTrue;
    }
    // A size of the host's own: the largest zoom step that fits, never below 100 %.
    double fitting = kZoomSteps[0];
    for (double step : kZoomSteps)
    {
        const ViewRect stepRect = rectForZoom(step);
        if (stepRect.getWidth() <= newSize->getWidth() &&
            stepRect.getHeight() <= newSize->getHeight())
            fitting = step;
    }
    if (fitting != zoom)
        applyZoom(fitting);
    else
        rect = own;
    return kResultTrue;
}

tresult PLUGIN_API VST3Editor::checkSizeConstraint(ViewRect* requested)
{
    if (!requested) return kInvalidArgument;
    const ViewRect base = rectForZoom(1.0);
    double nearest = zoom;
    if (base.getWidth() > 0 && base.getHeight() > 0)
    {
        const double wanted = std::min(double(requested->getWidth()) / base.getWidth(),
                                       double(requested->getHeight()) / base.getHeight());
        nearest = kZoomSteps[0];
        for (double step : kZoomSteps)
            if (std::abs(step - wanted) < std::abs(nearest - wanted)) nearest = step;
    }
    const ViewRect snapped = rectForZoom(nearest);
    requested->right = requested->left + snapped.getWidth();
    requested->bottom = requested->top + snapped.getHeight();
    return kResultTrue;
}

tresult PLUGIN_API VST3Editor::setContentScaleFactor(ScaleFactor factor)
{
    if (!std::isfinite(factor) || factor <= 0) return kInvalidArgument;
    double scale = std::min(4.0, std::max(0.5, double(factor)));
    if (scale == contentScale) return kResultTrue;
    contentScale = scale;
    rect = scaledRect();
    if (window) window->setContentScale(getScaleFactor());
    if (plugFrame)
    {
        ViewRect newRect = rect;
        plugFrame->resizeView(this, &newRect);
    }
    frame->invalid();
    return kResultTrue;
}

//--- edits -----------------------------------------------------------------------------------

void VST3Editor::valueChanged(CControl* control)
{
    if (!control || control->getTag() == -1) return;
    auto id = static_cast<ParamID>(control->getTag());
    ParameterBinding* binding = getBinding(id);
    if (!binding) return;
    double normalized = ParameterBinding::normalizedOf(control);
    controller->setParamNormalized(id, normalized);
    if (!delegate || !delegate->isPrivateParameter(id))
        controller->performEdit(id, controller->getParamNormalized(id));
}

void VST3Editor::controlBeginEdit(CControl* control)
{
    if (!control || control->getTag() == -1) return;
    auto id = static_cast<ParamID>(control->getTag());
    if (!getBinding(id)) return;
    editedTags.push_back(control->getTag());
    updateGestureTexts();
    if (!delegate || !delegate->isPrivateParameter(id)) controller->beginEdit(id);
}

void VST3Editor::controlEndEdit(CControl* control)
{
    if (!control || control->getTag() == -1) return;
    auto id = static_cast<ParamID>(control->getTag());
    if (!getBinding(id)) return;
    auto edited = std::find(editedTags.begin(), editedTags.end(), control->getTag());
    if (edited != editedTags.end()) editedTags.erase(edited);
    updateGestureTexts();
    if (!delegate || !delegate->isPrivateParameter(id)) controller->endEdit(id);
}

//--- gesture texts and the context menu ------------------------------------------------------

void VST3Editor::updateGestureTexts()
{
    if (!delegate) return;
    for (auto& entry : bindings)
    {
        const auto tag = static_cast<int32_t>(entry.first);
        entry.second->setGestureActive(tag == hoveredTag ||
                                       std::find(editedTags.begin(), editedTags.end(), tag) !=
                                           editedTags.end());
    }
}

void VST3Editor::onMouseEntered(CView* view, CFrame* /*frame*/)
{
    auto* control = dynamic_cast<CControl*>(view);
    hoveredTag = control ? control->getTag() : -1;
    updateGestureTexts();
}

void VST3Editor::onMouseExited(CView* view, CFrame* /*frame*/)
{
    auto* control = dynamic_cast<CControl*>(view);
    if (control && control->getTag() == hoveredTag) hoveredTag = -1;
    updateGestureTexts();
}

CMouseEventResult VST3Editor::onMouseDown(CFrame* target, const CPoint& where,
                                          const CButtonState& buttons)
{
    if (!delegate || !(buttons & kRButton) || buttons.isLeftButton()) return kMouseEventNotHandled;
    // Controls keep their own clicks; the menu belongs to the panel around them.
    CPoint origin;
    if (dynamic_cast<CControl*>(target->findViewAt(where, origin))) return kMouseEventNotHandled;
    COptionMenu* menu = delegate->createContextMenu(where, this);
    if (!menu) return kMouseEventNotHandled;
    if (menu != contextMenu.get()) contextMenu.reset(menu);
    menu->popup(target, where);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CView* VST3Editor::createView(const UIAttributes& attributes, const IUIDescription* desc)
{
    const std::string* name = attributes.getAttributeValue("custom-view-name");
    if (!delegate || !name) return nullptr;
    return delegate->createCustomView(name->c_str(), attributes, desc, this);
}

CView* VST3Editor::verifyView(CView* view, const UIAttributes& attributes,
                              const IUIDescription* desc)
{
    return delegate ? delegate->verifyView(view, attributes, desc, this) : view;
}

IController* VST3Editor::createSubController(UTF8StringPtr name, const IUIDescription* desc)
{
    return delegate ? delegate->createSubController(name, desc, this) : nullptr;
}

int32_t VST3Editor::getKnobMode() const
{
    int32_t mode = kCircularMode;
    if (delegate && delegate->getEditorKnobMode(mode)) return mode;
    return static_cast<int32_t>(EditController::getHostKnobMode());
}

} // namespace VSTGUI
