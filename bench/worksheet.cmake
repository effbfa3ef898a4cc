# SPDX-License-Identifier: GPL-3.0-or-later
# The worksheet's editor side: F9 on a long sheet and Enter on the last line of a long page,
# on the real main window under the offscreen platform.
if(TARGET quorvel_gui)
  add_executable(worksheet_bench ${CMAKE_CURRENT_LIST_DIR}/worksheet_bench.cpp)
  target_link_libraries(worksheet_bench PRIVATE quorvel_app benchmark::benchmark)
  quorvel_target_options(worksheet_bench)
endif()

# The program's life with a 10,000-line page: start to first paint, exit to files written.
if(TARGET quorvel_gui)
  add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
  target_link_libraries(startup_bench PRIVATE quorvel_app benchmark::benchmark)
  quorvel_target_options(startup_bench)
endif()

# The event loop while the program saves continuously, with pages of 10,000 and 1,000,000 lines.
if(TARGET quorvel_gui)
  add_executable(saving_bench ${CMAKE_CURRENT_LIST_DIR}/saving_bench.cpp)
  target_link_libraries(saving_bench PRIVATE quorvel_app benchmark::benchmark)
  quorvel_target_options(saving_bench)
endif()

# The start after an abnormal end with a journal of a million records.
if(TARGET quorvel_app)
  add_executable(replay_bench ${CMAKE_CURRENT_LIST_DIR}/replay_bench.cpp)
  target_link_libraries(replay_bench PRIVATE quorvel_app benchmark::benchmark)
  quorvel_target_options(replay_bench)
endif()
