# SPDX-License-Identifier: GPL-3.0-or-later
# The VST 3 SDK is compiled from Debian's copy (package juce-modules-source-data); none of its
# files live in this repository. The pieces that copy lacks are in source/sdk/.
set(VST3_SDK_ROOT "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "Folder holding the VST 3 SDK (pluginterfaces/, base/, public.sdk/)")

if(NOT EXISTS "${VST3_SDK_ROOT}/pluginterfaces/base/funknown.h")
    message(FATAL_ERROR
        "No VST 3 SDK at ${VST3_SDK_ROOT}. Run scripts/install-deps (Debian package "
        "juce-modules-source-data) or set VST3_SDK_ROOT.")
endif()

set(_sdk ${VST3_SDK_ROOT})
add_library(vst3sdk STATIC
    ${_sdk}/pluginterfaces/base/conststringtable.cpp
    ${_sdk}/pluginterfaces/base/coreiids.cpp
    ${_sdk}/pluginterfaces/base/funknown.cpp
    ${_sdk}/pluginterfaces/base/ustring.cpp
    ${_sdk}/base/source/baseiids.cpp
    ${_sdk}/base/source/fbuffer.cpp
    ${_sdk}/base/source/fdebug.cpp
    ${_sdk}/base/source/fobject.cpp
    ${_sdk}/base/source/fstreamer.cpp
    ${_sdk}/base/source/fstring.cpp
    ${_sdk}/base/source/updatehandler.cpp
    ${_sdk}/base/thread/source/flock.cpp
    ${_sdk}/public.sdk/source/common/memorystream.cpp
    ${_sdk}/public.sdk/source/common/pluginview.cpp
    ${_sdk}/public.sdk/source/vst/vstbus.cpp
    ${_sdk}/public.sdk/source/vst/vstcomponent.cpp
    ${_sdk}/public.sdk/source/vst/vstcomponentbase.cpp
    ${_sdk}/public.sdk/source/vst/vsteditcontroller.cpp
    ${_sdk}/public.sdk/source/vst/vstinitiids.cpp
    ${_sdk}/public.sdk/source/vst/vstparameters.cpp
    ${_sdk}/public.sdk/source/vst/vstpresetfile.cpp
    # IDs the packaged SDK declares without defining them
    ${CMAKE_SOURCE_DIR}/source/sdk/public.sdk/source/common/plugviewiids.cpp
)
# The SDK's headers are included as system headers so that our warning flags do not apply to them.
target_include_directories(vst3sdk SYSTEM PUBLIC ${_sdk})
target_compile_definitions(vst3sdk PUBLIC RELEASE=1)
target_compile_options(vst3sdk PRIVATE -w)
find_package(Threads REQUIRED)
target_link_libraries(vst3sdk PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
if(WIN32)
    # FUID::generate calls CoCreateGuid.
    target_link_libraries(vst3sdk PUBLIC ole32)
endif()

# Host-side classes (host application, messages, attribute lists) for the host layer and tests.
add_library(vst3sdk_hosting STATIC
    ${_sdk}/public.sdk/source/vst/hosting/hostclasses.cpp
    ${_sdk}/public.sdk/source/vst/hosting/pluginterfacesupport.cpp
)
target_link_libraries(vst3sdk_hosting PUBLIC vst3sdk)
target_compile_options(vst3sdk_hosting PRIVATE -w)
