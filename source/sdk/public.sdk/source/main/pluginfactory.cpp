// SPDX-License-Identifier: GPL-3.0-or-later
#include "public.sdk/source/main/pluginfactory.h"

#include "pluginterfaces/base/ustring.h"

#include <cstring>
#include <new>

namespace Steinberg {

IPluginFactory* gPluginFactory = nullptr;

namespace {

// Fills the single-byte record from the unicode one; text is narrowed to ASCII as the SDK does.
void narrow(PClassInfo2& out, const PClassInfoW& in)
{
    out = PClassInfo2();
    memcpy(out.cid, in.cid, sizeof(TUID));
    out.cardinality = in.cardinality;
    strncpy8(out.category, in.category, PClassInfo::kCategorySize);
    UString(const_cast<char16*>(in.name), PClassInfo::kNameSize)
        .toAscii(out.name, PClassInfo::kNameSize);
    out.classFlags = in.classFlags;
    strncpy8(out.subCategories, in.subCategories, PClassInfo2::kSubCategoriesSize);
    UString(const_cast<char16*>(in.vendor), PClassInfo2::kVendorSize)
        .toAscii(out.vendor, PClassInfo2::kVendorSize);
    UString(const_cast<char16*>(in.version), PClassInfo2::kVersionSize)
        .toAscii(out.version, PClassInfo2::kVersionSize);
    UString(const_cast<char16*>(in.sdkVersion), PClassInfo2::kVersionSize)
        .toAscii(out.sdkVersion, PClassInfo2::kVersionSize);
}

} // namespace

CPluginFactory::CPluginFactory(const PFactoryInfo& info)
    : factoryInfo(info){FUNKNOWN_CTOR}

      CPluginFactory::~CPluginFactory()
{
    if (gPluginFactory == this) gPluginFactory = nullptr;
    delete[] classes;
    FUNKNOWN_DTOR
}

IMPLEMENT_REFCOUNT(CPluginFactory)

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID _iid, void** obj)
{
    QUERY_INTERFACE(_iid, obj, IPluginFactory::iid, IPluginFactory)
    QUERY_INTERFACE(_iid, obj, IPluginFactory2::iid, IPluginFactory2)
    QUERY_INTERFACE(_iid, obj, IPluginFactory3::iid, IPluginFactory3)
    QUERY_INTERFACE(_iid, obj, FUnknown::iid, IPluginFactory)
    *obj = nullptr;
    return kNoInterface;
}

bool CPluginFactory::registerClass(const PClassInfo* info, CreateFunction createFunc, void* context)
{
    if (!info || !createFunc) return false;
    PClassInfo2 info2;
    memcpy(info2.cid, info->cid, sizeof(TUID));
    info2.cardinality = info->cardinality;
    memcpy(info2.category, info->category, PClassInfo::kCategorySize);
    memcpy(info2.name, info->name, PClassInfo::kNameSize);
    return registerClass(&info2, createFunc, context);
}

bool CPluginFactory::registerClass(const PClassInfo2* info, CreateFunction createFunc,
                                   void* context)
{
    if (!info || !createFunc) return false;
    ClassEntry entry;
    entry.info8 = *info;
    entry.info16.fromAscii(*info);
    entry.createFunc = createFunc;
    entry.context = context;
    entry.isUnicode = false;
    return addEntry(entry);
}

bool CPluginFactory::registerClass(const PClassInfoW* info, CreateFunction createFunc,
                                   void* context)
{
    if (!info || !createFunc) return false;
    ClassEntry entry;
    entry.info16 = *info;
    narrow(entry.info8, *info);
    entry.createFunc = createFunc;
    entry.context = context;
    entry.isUnicode = true;
    return addEntry(entry);
}

bool CPluginFactory::addEntry(const ClassEntry& entry)
{
    if (isClassRegistered(FUID::fromTUID(entry.info8.cid))) return false;
    if (classCount >= maxClassCount)
    {
        const int32 newMax = maxClassCount == 0 ? 4 : maxClassCount * 2;
        auto* grown = new ClassEntry[static_cast<size_t>(newMax)];
        for (int32 i = 0; i < classCount; ++i)
            grown[i] = classes[i];
        delete[] classes;
        classes = grown;
        maxClassCount = newMax;
    }
    classes[classCount++] = entry;
    return true;
}

const CPluginFactory::ClassEntry* CPluginFactory::entryAt(int32 index) const
{
    if (index < 0 || index >= classCount) return nullptr;
    return &classes[index];
}

bool CPluginFactory::isClassRegistered(const FUID& cid) const
{
    for (int32 i = 0; i < classCount; ++i)
    {
        if (FUnknownPrivate::iidEqual(cid, classes[i].info8.cid)) return true;
    }
    return false;
}

void CPluginFactory::removeAllClasses()
{
    classCount = 0;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info) return kInvalidArgument;
    memcpy(info, &factoryInfo, sizeof(PFactoryInfo));
    return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses()
{
    return classCount;
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    const ClassEntry* entry = entryAt(index);
    if (!info || !entry) return kInvalidArgument;
    *info = PClassInfo();
    memcpy(info->cid, entry->info8.cid, sizeof(TUID));
    info->cardinality = entry->info8.cardinality;
    memcpy(info->category, entry->info8.category, PClassInfo::kCategorySize);
    memcpy(info->name, entry->info8.name, PClassInfo::kNameSize);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    const ClassEntry* entry = entryAt(index);
    if (!info || !entry) return kInvalidArgument;
    memcpy(info, &entry->info8, sizeof(PClassInfo2));
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    const ClassEntry* entry = entryAt(index);
    if (!info || !entry) return kInvalidArgument;
    memcpy(info, &entry->info16, sizeof(PClassInfoW));
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid) return kInvalidArgument;
    for (int32 i = 0; i < classCount; ++i)
    {
        const ClassEntry& entry = classes[i];
        if (!FUnknownPrivate::iidEqual(cid, entry.info8.cid)) continue;
        FUnknown* instance = entry.createFunc(entry.context);
        if (!instance) return kOutOfMemory;
        // The creation reference is handed over through queryInterface; drop ours either way.
        const tresult result = instance->queryInterface(iid, obj);
        instance->release();
        if (result != kResultOk)
        {
            *obj = nullptr;
            return kNoInterface;
        }
        return kResultOk;
    }
    return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown* /*context*/)
{
    return kNotImplemented;
}

} // namespace Steinberg
