# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file in source/ or host/ includes a header from a folder it may not depend on,
# naming the file and line; README.md's layout section explains the rules.
#   cmake -DROOT=<repository> -P tests/layout/CheckIncludes.cmake
#
# A file belongs to the longest folder below that holds it. It may include headers of its own
# folder and of the folders listed for it; headers of the VST 3 SDK only where its SDK rule
# allows ("all", "base" for pluginterfaces/base, "none"), and the FST header only in vst2.
cmake_minimum_required(VERSION 3.22)
if(NOT ROOT)
    message(FATAL_ERROR "usage: cmake -DROOT=<repository> -P CheckIncludes.cmake")
endif()

#    folder            SDK    may include
set(rules
    "ids               base"
    "sdk               all"
    "hosting           all"
    "synth             none   ids"
    "processor/frame   all    sdk"
    "processor         all    processor/frame synth ids sdk"
    "controller        all    processor/frame ids"
    "presets           none"
    "presets/file      all"
    "gui/base          none"
    "gui/views         none   gui/base"
    "gui/description   none   gui/views gui/base"
    "gui/platform      all    gui/description gui/views gui/base"
    "gui/editor        all    gui/platform gui/description gui/views gui/base"
    "editor            all    gui/editor gui/platform gui/description gui/views gui/base controller presets presets/file synth ids"
    "vst2              all    hosting presets synth ids sdk"
    "lv2               all    hosting synth ids sdk"
    "module            all    editor processor ids sdk"
    "host              all    hosting presets/file"
)
set(folders)
foreach(rule IN LISTS rules)
    string(REGEX REPLACE " +" ";" fields "${rule}")
    list(POP_FRONT fields folder sdk)
    list(APPEND folders ${folder})
    set(sdk_${folder} ${sdk})
    set(may_${folder} ${fields})
    if(folder STREQUAL host)
        set(path_${folder} host/)
    else()
        set(path_${folder} source/${folder}/)
    endif()
endforeach()

# The folder (of the rules) that holds a path relative to ROOT, or "" for none.
function(folder_of path out)
    set(best "")
    set(best_length 0)
    foreach(folder IN LISTS folders)
        string(LENGTH "${path_${folder}}" length)
        string(SUBSTRING "${path}" 0 ${length} head)
        if(head STREQUAL path_${folder} AND length GREATER best_length)
            set(best ${folder})
            set(best_length ${length})
        endif()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/source/*.h ${ROOT}/source/*.cpp
     ${ROOT}/host/*.h ${ROOT}/host/*.cpp)
list(SORT files)
foreach(file IN LISTS files)
    get_filename_component(name ${file} NAME)
    string(MAKE_C_IDENTIFIER "${name}" key)
    list(APPEND named_${key} ${file})
endforeach()

set(violations 0)
set(include_count 0)
foreach(file IN LISTS files)
    folder_of(${file} from)
    if(NOT from)
        continue()
    endif()
    get_filename_component(dir ${file} DIRECTORY)
    file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
        math(EXPR include_count "${include_count} + 1")
        # Beside the file first, then any file of the tree whose path ends in the included one.
        set(target "")
        set(problem "")
        if(EXISTS ${ROOT}/${dir}/${header})
            set(target ${dir}/${header})
        else()
            get_filename_component(name ${header} NAME)
            string(MAKE_C_IDENTIFIER "${name}" key)
            set(matches)
            foreach(candidate IN LISTS named_${key})
                string(LENGTH "${candidate}" candidate_length)
                string(LENGTH "/${header}" header_length)
                if(candidate_length GREATER_EQUAL header_length)
                    math(EXPR start "${candidate_length} - ${header_length}")
                    string(SUBSTRING "${candidate}" ${start} -1 tail)
                    if(tail STREQUAL "/${header}")
                        list(APPEND matches ${candidate})
                    endif()
                endif()
            endforeach()
            list(LENGTH matches match_count)
            if(match_count GREATER 1)
                string(REPLACE ";" ", " matches "${matches}")
                set(problem "includes \"${header}\", which names several files: ${matches}")
            elseif(match_count EQUAL 1)
                set(target ${matches})
            endif()
        endif()

        if(problem)
            # Named above.
        elseif(target)
            folder_of(${target} to)
            if(NOT to)
                set(problem "${from} may not include ${target}, which is in no layer")
            elseif(NOT to STREQUAL from AND NOT to IN_LIST may_${from})
                set(problem "${from} may not include ${target} (${to})")
            endif()
        elseif(header MATCHES "^pluginterfaces/fst/")
            if(NOT from STREQUAL vst2)
                set(problem "${from} may not include the VST 2 header ${header}")
            endif()
        elseif(header MATCHES "^(pluginterfaces|public\\.sdk|base/source|base/thread)/")
            if(sdk_${from} STREQUAL none OR
               (sdk_${from} STREQUAL base AND NOT header MATCHES "^pluginterfaces/base/"))
                set(problem "${from} may not include the VST 3 SDK's ${header}")
            endif()
        else()
            set(problem "includes \"${header}\", which is neither in the tree nor in the SDK")
        endif()

        if(problem)
            # The line number of the first such include, for the message.
            file(READ ${ROOT}/${file} content)
            string(FIND "${content}" "${line}" position)
            string(SUBSTRING "${content}" 0 ${position} before)
            string(REGEX MATCHALL "\n" newlines "${before}")
            list(LENGTH newlines line_number)
            math(EXPR line_number "${line_number} + 1")
            message("${file}:${line_number}: ${problem}")
            math(EXPR violations "${violations} + 1")
        endif()
    endforeach()
endforeach()

list(LENGTH files file_count)
if(violations GREATER 0)
    message(FATAL_ERROR "${violations} include(s) across a forbidden edge")
endif()
message("include rules: ${file_count} files, ${include_count} includes, none across a forbidden edge")
