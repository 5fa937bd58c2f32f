// SPDX-License-Identifier: GPL-3.0-or-later
// The module's exported factory and the create functions of its classes.
#include "BraskFactory.h"
#include "BraskCids.h"
#include "BraskProcessorWithUIController.h"
#include "BraskVersion.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/main/moduleinit.h"
#include "public.sdk/source/main/pluginfactory.h"

#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

FUnknown* createProcessorInstance(void* /*context*/)
{
    return static_cast<IAudioProcessor*>(new BraskProcessorWithUIController());
}

const PClassInfo2& processorClassInfo()
{
    static const PClassInfo2 info(kBraskProcessorUID.toTUID(), PClassInfo::kManyInstances,
                                  kVstAudioEffectClass, kProductName, kDistributable,
                                  "Instrument|Synth", "", kProductVersion, kProductSdkVersion);
    return info;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg

using namespace Steinberg;

bool InitModule()
{
    return true;
}

bool DeinitModule()
{
    return true;
}

extern "C" SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
    if (gPluginFactory)
    {
        gPluginFactory->addRef();
        return gPluginFactory;
    }
    const PFactoryInfo factoryInfo(Vst::Tarvik::kVendorName, Vst::Tarvik::kVendorUrl,
                                   Vst::Tarvik::kVendorEmail, PFactoryInfo::kUnicode);
    auto* factory = new CPluginFactory(factoryInfo);
    factory->registerClass(&Vst::Tarvik::processorClassInfo(),
                           Vst::Tarvik::createProcessorInstance);
    Vst::Tarvik::registerControllerClass(*factory);
    gPluginFactory = factory;
    return gPluginFactory;
}
