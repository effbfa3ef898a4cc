# SPDX-License-Identifier: GPL-3.0-or-later
# Engine benchmarks (Google Benchmark, Release build): formulas, a 10,000-line sheet, start-up.
# The corpus is generated into the build folder by make_corpus (bench/make_corpus.cpp, a target
# of the top folder's CMakeLists.txt).

set(quorvel_corpus_dir ${CMAKE_CURRENT_BINARY_DIR}/corpus)
add_custom_command(
  OUTPUT ${quorvel_corpus_dir}/formulas.txt ${quorvel_corpus_dir}/sheet.txt
  COMMAND ${CMAKE_COMMAND} -E make_directory ${quorvel_corpus_dir}
  COMMAND make_corpus ${quorvel_corpus_dir} 4000 10000
  DEPENDS make_corpus
  COMMENT "Writing the benchmark corpus into ${quorvel_corpus_dir}")
add_custom_target(engine_corpus ALL
  DEPENDS ${quorvel_corpus_dir}/formulas.txt ${quorvel_corpus_dir}/sheet.txt)

add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
target_link_libraries(engine_bench PRIVATE quorvel_engine benchmark::benchmark)
if(TARGET quorvel_calc)
  target_link_libraries(engine_bench PRIVATE quorvel_calc)
  target_compile_definitions(engine_bench PRIVATE QUORVEL_BENCH_CALC=1)
endif()
target_compile_definitions(engine_bench PRIVATE QUORVEL_CORPUS_DIR="${quorvel_corpus_dir}")
add_dependencies(engine_bench engine_corpus)
quorvel_target_options(engine_bench)
