# SPDX-License-Identifier: GPL-3.0-or-later
# AddressSanitizer plus UndefinedBehaviorSanitizer (QUORVEL_SANITIZE), ThreadSanitizer
# (QUORVEL_TSAN), or the fuzzing build's coverage feedback with ASan and UBSan (QUORVEL_FUZZ), for
# one target. Libraries get the instrumentation too, not only the executables, so a fault inside
# the engine is caught there.
if(QUORVEL_TSAN AND (QUORVEL_SANITIZE OR QUORVEL_FUZZ))
  message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer: "
    "QUORVEL_TSAN needs a build folder of its own")
endif()
function(quorvel_target_sanitizers target)
  if(QUORVEL_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  elseif(QUORVEL_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=thread)
  elseif(QUORVEL_FUZZ)
    target_compile_options(${target} PRIVATE
      -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()
