# SPDX-License-Identifier: GPL-3.0-or-later
# Link-time optimisation for quorvel-calc and the libraries it is made of. The evaluator's small
# routines live in several files (scanner, number literals, unit tables, text helpers), and only
# at link time can the compiler inline them into each other. The objects keep their ordinary
# machine code beside the compiler's intermediate form (-ffat-lto-objects, as distributions
# that build with link-time optimisation do), so the windows and the tests link the same
# libraries without it. Left off with other compilers and in Debug, sanitizer and fuzzing builds.
include(CheckIPOSupported)
check_ipo_supported(RESULT QUORVEL_LTO_SUPPORTED LANGUAGES CXX)

function(quorvel_link_time_optimization target)
  if(QUORVEL_LTO_SUPPORTED AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT QUORVEL_SANITIZE
     AND NOT QUORVEL_TSAN AND NOT QUORVEL_FUZZ AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
    target_compile_options(${target} PRIVATE -ffat-lto-objects)
  endif()
endfunction()
