// SPDX-License-Identifier: GPL-3.0-or-later
// CPluginFactory: the SDK's default class factory. The packaged SDK lacks it; this is written to
// its documented behaviour (IPluginFactory, IPluginFactory2 and IPluginFactory3).
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace Steinberg {

class CPluginFactory : public IPluginFactory3
{
public:
    /** Create function of a registered class: gets the registration's context. */
    using CreateFunction = FUnknown* (*)(void* context);

    explicit CPluginFactory(const PFactoryInfo& info);
    virtual ~CPluginFactory();

    /** Registers a class; false when the description is null or the class ID is taken. */
    bool registerClass(const PClassInfo* info, CreateFunction createFunc, void* context = nullptr);
    bool registerClass(const PClassInfo2* info, CreateFunction createFunc, void* context = nullptr);
    bool registerClass(const PClassInfoW* info, CreateFunction createFunc, void* context = nullptr);

    /** Whether a class with this ID is registered. */
    bool isClassRegistered(const FUID& cid) const;

    /** Removes every registered class. */
    void removeAllClasses();

    DECLARE_FUNKNOWN_METHODS

    //--- IPluginFactory
    tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) SMTG_OVERRIDE;
    int32 PLUGIN_API countClasses() SMTG_OVERRIDE;
    tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) SMTG_OVERRIDE;
    tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) SMTG_OVERRIDE;

    //--- IPluginFactory2
    tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) SMTG_OVERRIDE;

    //--- IPluginFactory3
    tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) SMTG_OVERRIDE;
    tresult PLUGIN_API setHostContext(FUnknown* context) SMTG_OVERRIDE;

private:
    struct ClassEntry
    {
        PClassInfo2 info8;
        PClassInfoW info16;
        CreateFunction createFunc = nullptr;
        void* context = nullptr;
        bool isUnicode = false;
    };

    bool addEntry(const ClassEntry& entry);
    const ClassEntry* entryAt(int32 index) const;

    PFactoryInfo factoryInfo;
    ClassEntry* classes = nullptr;
    int32 classCount = 0;
    int32 maxClassCount = 0;
};

/** The module's factory, set while one exists. */
extern IPluginFactory* gPluginFactory;

} // namespace Steinberg
