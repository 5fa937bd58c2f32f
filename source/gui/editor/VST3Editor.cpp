// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/VST3Editor.h"

#include "editor/ParameterBinding.h"
#include "platform/IPlatformWindow.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/CControl.h"

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
    if (!binding) binding = new ParameterBinding(controller, parameter);
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

ViewRect VST3Editor::scaledRect() const
{
    return ViewRect(0, 0, static_cast<int32>(std::lround(editorSize.x * contentScale)),
                    static_cast<int32>(std::lround(editorSize.y * contentScale)));
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
    window = createPlatformWindow(parent, type, plugFrame, frame.get(), editorSize, contentScale);
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
    // Typing and open popups end with the window.
    frame->setFocusView(nullptr);
    while (frame->getNbOverlays() > 0)
        frame->removeOverlay(frame->getOverlay(frame->getNbOverlays() - 1));
    CPoint nowhere(-1, -1);
    frame->onMouseUp(nowhere, CButtonState());
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
    // The size is fixed: whatever the host asks, the editor keeps its own.
    rect = scaledRect();
    return kResultTrue;
}

tresult PLUGIN_API VST3Editor::checkSizeConstraint(ViewRect* requested)
{
    if (!requested) return kInvalidArgument;
    ViewRect own = scaledRect();
    requested->right = requested->left + own.getWidth();
    requested->bottom = requested->top + own.getHeight();
    return kResultTrue;
}

tresult PLUGIN_API VST3Editor::setContentScaleFactor(ScaleFactor factor)
{
    if (!std::isfinite(factor) || factor <= 0) return kInvalidArgument;
    double scale = std::min(4.0, std::max(0.5, double(factor)));
    if (scale == contentScale) return kResultTrue;
    contentScale = scale;
    rect = scaledRect();
    if (window) window->setContentScale(contentScale);
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
    if (getBinding(id) && (!delegate || !delegate->isPrivateParameter(id)))
        controller->beginEdit(id);
}

void VST3Editor::controlEndEdit(CControl* control)
{
    if (!control || control->getTag() == -1) return;
    auto id = static_cast<ParamID>(control->getTag());
    if (getBinding(id) && (!delegate || !delegate->isPrivateParameter(id))) controller->endEdit(id);
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
