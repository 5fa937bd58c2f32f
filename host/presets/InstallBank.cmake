# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the factory bank flat into a plug-in preset folder, where every host lists it (some
# list only the files directly in the folder). Runs at install time with
#   BRASK_BANK_SOURCE_DIR   the build's bank: one .vstpreset file per preset
#   BRASK_BANK_DESTINATION  the preset folder, e.g. ~/.vst3/presets/Tarvik/Brask
# Earlier versions put the bank in a folder per category. Those copies are removed, so that hosts
# that search sub-folders do not show every preset twice; a file counts as such a copy only when
# its own attributes say it is the factory preset of that name and category. Everything else in
# the folder (the user's own presets, saved there by hosts) is kept.

set(_destination "$ENV{DESTDIR}${BRASK_BANK_DESTINATION}")

function(_brask_xml_escape text out)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Whether a file is the factory preset NAME of CATEGORY, by the 'Info' attributes it was written
# with.
function(_brask_is_factory_copy file name category out)
    set(${out} FALSE PARENT_SCOPE)
    file(STRINGS "${file}" _attributes REGEX "<Attr id=")
    string(JOIN "\n" _info ${_attributes})
    _brask_xml_escape("${name}" _name)
    _brask_xml_escape("${category}" _category)
    foreach(_wanted
            "id=\"PlugInName\" value=\"Brask\""
            "id=\"Author\" value=\"Tarvik\""
            "id=\"Name\" value=\"${_name}\""
            "id=\"MusicalCategory\" value=\"${_category}\""
            "flags=\"writeProtected\"")
        string(FIND "${_info}" "${_wanted}" _at)
        if(_at EQUAL -1)
            return()
        endif()
    endforeach()
    set(${out} TRUE PARENT_SCOPE)
endfunction()

file(GLOB _folders LIST_DIRECTORIES true "${_destination}/*")
foreach(_folder IN LISTS _folders)
    if(NOT IS_DIRECTORY "${_folder}" OR IS_SYMLINK "${_folder}")
        continue()
    endif()
    get_filename_component(_category "${_folder}" NAME)
    file(GLOB _files "${_folder}/*.vstpreset")
    set(_removed FALSE)
    foreach(_file IN LISTS _files)
        get_filename_component(_name "${_file}" NAME_WLE)
        _brask_is_factory_copy("${_file}" "${_name}" "${_category}" _copy)
        if(_copy)
            file(REMOVE "${_file}")
            set(_removed TRUE)
        endif()
    endforeach()
    # rmdir removes the category folder only when nothing, not even a hidden file, is left.
    if(_removed)
        execute_process(COMMAND rmdir -- "${_folder}" OUTPUT_QUIET ERROR_QUIET)
    endif()
endforeach()

file(GLOB _bank "${BRASK_BANK_SOURCE_DIR}/*.vstpreset")
if(NOT _bank)
    message(FATAL_ERROR "no factory bank in ${BRASK_BANK_SOURCE_DIR}: build the project first")
endif()
file(INSTALL ${_bank} DESTINATION "${BRASK_BANK_DESTINATION}")
list(LENGTH _bank _count)
message(STATUS "Brask factory bank (${_count} presets) installed: ${BRASK_BANK_DESTINATION}")
