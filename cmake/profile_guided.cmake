# SPDX-License-Identifier: GPL-3.0-or-later
# Profile-guided optimisation for quorvel-calc and the libraries it is made of (GCC). With
# QUORVEL_PROFILE=generate they are built to count what a run does, into a .gcda file beside
# each object file; with QUORVEL_PROFILE=use the same folder, built again after such a run
# (packaging/profile_training.sh), lays out and inlines the evaluator by those counts, which
# makes it about a fifth faster. ./quorvel.sh does both steps for the benchmarks, debian/rules
# for the package. No -fprofile-dir: GCC records its options in the debugging information, and
# a folder named there would make the package depend on where it was built. A function no run
# reached is
# optimised as usual, and a profile older than the sources is ignored rather than refused:
# it only ever changes the speed. Left off with other compilers and in Debug, sanitizer and
# fuzzing builds.
set(QUORVEL_PROFILE "" CACHE STRING "Profile-guided optimisation: empty (off), generate or use")
set_property(CACHE QUORVEL_PROFILE PROPERTY STRINGS "" generate use)

function(quorvel_profile_guided target)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR QUORVEL_SANITIZE OR QUORVEL_TSAN OR QUORVEL_FUZZ
     OR CMAKE_BUILD_TYPE STREQUAL "Debug")
    return()
  endif()
  if(QUORVEL_PROFILE STREQUAL "generate")
    # One thread writes the counts, so their updates need no atomics.
    target_compile_options(${target} PRIVATE -fprofile-generate -fprofile-update=single)
    # Every program that links the counting code needs its runtime.
    target_link_options(${target} PUBLIC -fprofile-generate)
  elseif(QUORVEL_PROFILE STREQUAL "use")
    # A profile taken before the sources changed draws warnings, one of them without an option
    # to silence it; they stay warnings here. The test build, without a profile, keeps warnings
    # errors for the same sources.
    target_compile_options(${target} PRIVATE -fprofile-use -fprofile-partial-training
                           -Wno-missing-profile -Wno-coverage-mismatch -Wno-error)
    # Functions on 64 bytes and loops on 32: otherwise where the linker happens to place the
    # evaluator moved the speed by up to 5 %, with the same instructions. The very cheap cost
    # model vectorises only loops that need no peeling: GCC 12 crashed on the counts of some
    # training runs, dividing by zero as it scaled the counts of a loop it had peeled, and the
    # loops this model leaves alone cost no measurable speed. All of it at the link as well,
    # where link-time optimisation generates the code.
    set(options -falign-functions=64 -falign-loops=32 -fvect-cost-model=very-cheap)
    target_compile_options(${target} PRIVATE ${options})
    target_link_options(${target} PUBLIC ${options})
  elseif(NOT QUORVEL_PROFILE STREQUAL "")
    message(FATAL_ERROR "QUORVEL_PROFILE is empty, generate or use, not ${QUORVEL_PROFILE}")
  endif()
endfunction()
