# SPDX-License-Identifier: GPL-3.0-or-later
# The bank's install over a folder that an earlier version filled with a folder per category and
# where the user keeps presets of their own: the bank lands flat, the old factory copies go, the
# user's presets stay. Run as "cmake -DBANK=<build bank> -DINSTALL_SCRIPT=<InstallBank.cmake>
# -DWORK=<scratch folder> -P InstallLayoutTest.cmake".
set(_folder "${WORK}/presets/Tarvik/Brask")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${_folder}/Bass" "${_folder}/Lead")

file(COPY_FILE "${BANK}/Acid Squelch.vstpreset" "${_folder}/Bass/Acid Squelch.vstpreset")
file(COPY_FILE "${BANK}/Solo Saw.vstpreset" "${_folder}/Lead/Solo Saw.vstpreset")
# A user's copies: under another name, in another category's folder, and flat.
file(COPY_FILE "${BANK}/Acid Squelch.vstpreset" "${_folder}/Bass/My Squelch.vstpreset")
file(COPY_FILE "${BANK}/Round Sub.vstpreset" "${_folder}/Lead/Round Sub.vstpreset")
file(WRITE "${_folder}/Mine.vstpreset" "the user's")
file(WRITE "${_folder}/Bass/.hidden" "")

set(BRASK_BANK_SOURCE_DIR "${BANK}")
set(BRASK_BANK_DESTINATION "${_folder}")
include("${INSTALL_SCRIPT}")

set(_failures "")
file(GLOB _built RELATIVE "${BANK}" "${BANK}/*.vstpreset")
foreach(_name IN LISTS _built)
    if(NOT EXISTS "${_folder}/${_name}")
        list(APPEND _failures "${_name} is not installed flat")
    endif()
endforeach()
foreach(_gone "Bass/Acid Squelch.vstpreset" "Lead/Solo Saw.vstpreset")
    if(EXISTS "${_folder}/${_gone}")
        list(APPEND _failures "the old factory copy ${_gone} is left")
    endif()
endforeach()
foreach(_kept "Bass/My Squelch.vstpreset" "Lead/Round Sub.vstpreset" "Mine.vstpreset"
        "Bass/.hidden")
    if(NOT EXISTS "${_folder}/${_kept}")
        list(APPEND _failures "the user's ${_kept} was removed")
    endif()
endforeach()
file(READ "${_folder}/Mine.vstpreset" _mine)
if(NOT _mine STREQUAL "the user's")
    list(APPEND _failures "the user's Mine.vstpreset was changed")
endif()

file(REMOVE_RECURSE "${WORK}")
if(_failures)
    string(JOIN "\n  " _report ${_failures})
    message(FATAL_ERROR "bank install:\n  ${_report}")
endif()
