# SPDX-License-Identifier: GPL-3.0-or-later
# Fails unless the module's dynamic symbol table defines exactly its entry points: the five VST 3
# ones and, unless -DVST2=OFF, the two VST 2 ones.
execute_process(COMMAND nm -D --defined-only ${MODULE}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] +" "" name "${line}")
    list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected ExitDll GetPluginFactory InitDll ModuleEntry ModuleExit)
if(NOT DEFINED VST2 OR VST2)
    list(APPEND expected VSTPluginMain main)
endif()
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exported: ${names}; expected: ${expected}")
endif()
message(STATUS "exports: ${names}")
