# SPDX-License-Identifier: GPL-3.0-or-later
# "Als PDF speichern..." of a long page: layout, wrapping, footers and the file.
if(TARGET quorvel_gui)
  add_executable(printing_bench ${CMAKE_CURRENT_LIST_DIR}/printing_bench.cpp)
  target_link_libraries(printing_bench PRIVATE quorvel_app benchmark::benchmark)
  quorvel_target_options(printing_bench)
endif()
