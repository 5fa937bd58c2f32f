// SPDX-License-Identifier: GPL-3.0-or-later
// The controller class of the factory: class 1, right after the processor.
#include "BraskCids.h"
#include "BraskControllerWithUI.h"
#include "BraskFactory.h"
#include "BraskVersion.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/main/pluginfactory.h"

#include <cstring>
#include <new>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

FUnknown* createControllerInstance(void* /*context*/)
{
    // Fields that no constructor sets start as zero. The object is destroyed by its last
    // release (delete this), which frees this storage with the matching ::operator delete.
    void* storage = ::operator new(sizeof(BraskControllerWithUI));
    std::memset(storage, 0, sizeof(BraskControllerWithUI));
    BraskControllerWithUI* controller = nullptr;
    try
    {
        controller = new (storage) BraskControllerWithUI();
    }
    catch (...)
    {
        ::operator delete(storage);
        throw;
    }
    return static_cast<IEditController*>(controller);
}

const PClassInfo2& controllerClassInfo()
{
    static const PClassInfo2 info(kBraskControllerWithUIUID.toTUID(), PClassInfo::kManyInstances,
                                  kVstComponentControllerClass, kProductName, kDistributable, "",
                                  "", kProductVersion, kProductSdkVersion);
    return info;
}

void registerControllerClass(CPluginFactory& factory)
{
    factory.registerClass(&controllerClassInfo(), createControllerInstance);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
