# SPDX-License-Identifier: GPL-3.0-or-later
# A zoom step of the diagram window at 10,000 points per curve: the layout for the new ranges and
# the painting of the view, which together must fit into one frame (about 16 ms). And the window
# opened on a million points, from the request to the first paint (within 0.3 s).
if(TARGET quorvel_gui)
  add_executable(diagram_window_bench ${CMAKE_CURRENT_LIST_DIR}/diagram_window_bench.cpp)
  target_link_libraries(diagram_window_bench PRIVATE quorvel_gui benchmark::benchmark)
  quorvel_target_options(diagram_window_bench)
endif()
