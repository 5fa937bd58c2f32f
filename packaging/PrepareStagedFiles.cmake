# SPDX-License-Identifier: GPL-3.0-or-later
# Runs in CPack after the staging install: strips the binaries as Debian does (no symbols, no
# .comment; the build ID stays, so the module can still be matched with the build's) and gives
# every folder and file its usual mode whatever the umask was: programs 755, everything else
# (the module too) 644.
if(NOT CPACK_TEMPORARY_INSTALL_DIRECTORY)
    message(FATAL_ERROR "PrepareStagedFiles.cmake runs inside CPack (CPACK_PRE_BUILD_SCRIPTS)")
endif()
if(NOT CPACK_BRASK_STRIP)
    message(FATAL_ERROR "no strip program was found when the build was configured (binutils)")
endif()
file(GLOB_RECURSE _entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(_entry IN LISTS _entries)
    if(IS_SYMLINK "${_entry}")
        continue()
    elseif(IS_DIRECTORY "${_entry}")
        file(CHMOD "${_entry}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
             GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
        continue()
    endif()
    file(READ "${_entry}" _magic LIMIT 4 HEX)
    if(_magic STREQUAL "7f454c46") # ELF: the program and the module
        execute_process(COMMAND "${CPACK_BRASK_STRIP}" --remove-section=.comment
                                --remove-section=.note --strip-unneeded "${_entry}"
                        RESULT_VARIABLE _failed)
        if(_failed)
            message(FATAL_ERROR "cannot strip ${_entry}")
        endif()
        if(NOT _entry MATCHES "\\.so$") # hosts load the module; only programs are executable
            file(CHMOD "${_entry}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                 GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
            continue()
        endif()
        file(CHMOD "${_entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    else()
        file(CHMOD "${_entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
endforeach()
