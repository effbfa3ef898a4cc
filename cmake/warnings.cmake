# SPDX-License-Identifier: GPL-3.0-or-later
# The compiler options of our own targets: warnings everywhere, and errors for them where we
# control the compiler (QUORVEL_WERROR, switched on by the presets of CMakePresets.json) - a user's build with
# another compiler version must not fail on a warning that version adds. Third-party headers
# come in as system includes. The sanitizer and fuzzing options of cmake/sanitizers.cmake ride
# along, so that every one of our targets gets the same instrumentation.
function(quorvel_target_options target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
  if(QUORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  quorvel_target_sanitizers(${target})
endfunction()
