# SPDX-License-Identifier: GPL-3.0-or-later
# RTF benchmarks (Google Benchmark, Release build): writing and reading a formatted worksheet
# page of 10,000 lines, and the same at 1,000 and 100,000 lines to show that both are linear.
if(TARGET quorvel_gui)
  add_executable(rtf_bench ${CMAKE_CURRENT_LIST_DIR}/rtf_bench.cpp)
  target_link_libraries(rtf_bench PRIVATE quorvel_gui benchmark::benchmark)
  quorvel_target_options(rtf_bench)
endif()
