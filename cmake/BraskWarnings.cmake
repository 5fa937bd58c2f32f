# SPDX-License-Identifier: GPL-3.0-or-later
# Our own targets build warning-free; the SDK's sources are compiled without these flags.
function(brask_warnings target)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Werror>)
endfunction()
