# SPDX-License-Identifier: GPL-3.0-or-later
# libFuzzer target for the RTF reader. The reader's sources are compiled into the target itself
# so that they carry the fuzzer's coverage instrumentation and the sanitizers. It needs Qt's
# text document only, also in a fuzzing build without the windows (QUORVEL_GUI=OFF).
if(NOT TARGET Qt6::Gui)
  find_package(Qt6 6.4 QUIET COMPONENTS Gui)
endif()
if(TARGET Qt6::Gui)
  quorvel_fuzz_target(rtf_reader_fuzz
    ${CMAKE_CURRENT_LIST_DIR}/rtf_reader_fuzz.cpp
    ${PROJECT_SOURCE_DIR}/gui/rtf/reader.cpp
    ${PROJECT_SOURCE_DIR}/gui/rtf/tokenizer.cpp
    ${PROJECT_SOURCE_DIR}/gui/rtf/control_words.cpp
    ${PROJECT_SOURCE_DIR}/gui/rtf/codepages.cpp
    ${PROJECT_SOURCE_DIR}/gui/rtf/writer.cpp
    ${PROJECT_SOURCE_DIR}/engine/base/text_encoding.cpp)
  target_include_directories(rtf_reader_fuzz PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(rtf_reader_fuzz PRIVATE Qt6::Gui)
  quorvel_target_options(rtf_reader_fuzz)
endif()
