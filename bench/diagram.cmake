# SPDX-License-Identifier: GPL-3.0-or-later
# Diagram benchmarks (Google Benchmark, Release build): sampling and CSV at 100,000 points (the
# bulk of quorvel-calc --diagramm), and the layout of 10,000 points that every zoom step of the
# window runs again (within one frame, about 16 ms).
add_executable(diagram_bench ${CMAKE_CURRENT_LIST_DIR}/diagram_bench.cpp)
target_link_libraries(diagram_bench PRIVATE quorvel_engine benchmark::benchmark)
quorvel_target_options(diagram_bench)
