# SPDX-License-Identifier: GPL-3.0-or-later
# BRASK_MODULE_VERSION: the version the module reports to hosts (kProductVersion, e.g. 1.6.06.0811),
# which brask-render and the Debian package carry as well. Its first three numbers must be the
# project's version.
file(STRINGS ${PROJECT_SOURCE_DIR}/source/ids/BraskVersion.h _version_line
     REGEX "kProductVersion = \"[0-9.]+\"")
if(NOT _version_line MATCHES "\"(([0-9]+)\\.([0-9]+)\\.([0-9]+)(\\.[0-9]+)?)\"")
    message(FATAL_ERROR "source/ids/BraskVersion.h: no kProductVersion = \"N.N.N[.N]\" found")
endif()
set(BRASK_MODULE_VERSION ${CMAKE_MATCH_1})
math(EXPR _major "${CMAKE_MATCH_2}")
math(EXPR _minor "${CMAKE_MATCH_3}")
math(EXPR _patch "${CMAKE_MATCH_4}")
if(NOT "${_major}.${_minor}.${_patch}" VERSION_EQUAL PROJECT_VERSION)
    message(FATAL_ERROR "source/ids/BraskVersion.h says version ${BRASK_MODULE_VERSION}, "
                        "but CMakeLists.txt says ${PROJECT_VERSION}: change both together")
endif()
