# SPDX-License-Identifier: GPL-3.0-or-later
# The engine under arbitrary bytes, one target per way in:
#   eval_line_fuzz      worksheet lines through EvalSheetLine with the default units
#   sheet_fuzz          a whole sheet through Enter, with its own unit definitions above "%%"
#   unit_compiler_fuzz  unit definition lines through the compiler, then written as results
#   diagram_layout_fuzz the numbers of a diagram (ranges, points, values) laid out as a picture
# Run from the build folder, with the seeds kept in the repository (fuzz/corpus/<target>/):
#   fuzz/sheet_fuzz -dict=fuzz/eval_line.dict -max_len=4096 new/ ../fuzz/corpus/sheet_fuzz/
foreach(target eval_line_fuzz sheet_fuzz unit_compiler_fuzz diagram_layout_fuzz)
  quorvel_fuzz_target(${target} ${CMAKE_CURRENT_LIST_DIR}/${target}.cpp)
  target_link_libraries(${target} PRIVATE quorvel_engine)
  quorvel_target_options(${target})
  # Undefined behaviour must stop the run, not only print a line.
  target_compile_options(${target} PRIVATE -fno-sanitize-recover=all)
endforeach()

# cmake/sanitizers.cmake instruments the engine for coverage and the sanitizers; undefined
# behaviour inside the engine must stop the run there too.
target_compile_options(quorvel_engine PRIVATE -fno-sanitize-recover=all)

# Seeds: the golden sheets, the example, and the large inputs of the engine's unit tests
# (a line of 100,000 characters, 10,000 nested brackets). The dictionary names the words of
# the formula language.
set(quorvel_seed_dir ${CMAKE_CURRENT_BINARY_DIR}/eval_line_seeds)
file(MAKE_DIRECTORY ${quorvel_seed_dir})
file(COPY ${PROJECT_SOURCE_DIR}/examples/beispiel.txt DESTINATION ${quorvel_seed_dir})
file(GLOB quorvel_golden_sheets ${PROJECT_SOURCE_DIR}/tests/golden/*.sheet)
foreach(sheet IN LISTS quorvel_golden_sheets)
  # The worksheet lines of a golden file are its "> " lines.
  file(READ ${sheet} quorvel_text)
  string(REGEX REPLACE "\n[^>\n][^\n]*" "" quorvel_text "\n${quorvel_text}")
  string(REGEX REPLACE "\n> ?" "\n" quorvel_text "${quorvel_text}")
  get_filename_component(quorvel_name ${sheet} NAME_WE)
  file(WRITE ${quorvel_seed_dir}/golden_${quorvel_name}.txt "${quorvel_text}")
endforeach()
string(REPEAT "(" 10000 quorvel_open)
string(REPEAT ")" 10000 quorvel_close)
file(WRITE ${quorvel_seed_dir}/nested_brackets.txt "${quorvel_open}1${quorvel_close}\n")
file(WRITE ${quorvel_seed_dir}/nested_function.txt "x = ${quorvel_open}SIN(1)${quorvel_close}\n")
string(REPEAT "1+" 50000 quorvel_sum)
file(WRITE ${quorvel_seed_dir}/long_line.txt "${quorvel_sum}1\n")
string(REPEAT "2m*" 33333 quorvel_product)
file(WRITE ${quorvel_seed_dir}/long_label_line.txt "Label: a = ${quorvel_product}1\nVARS\n")
string(REPEAT "x=" 60 quorvel_equals)
file(WRITE ${quorvel_seed_dir}/many_parts.txt "${quorvel_equals}1\n")

set(quorvel_dict_words
  "+" "-" "*" "/" "^" "(" ")" "\\x3B" "=" ":" "\\xB2" "\\xB3" "\\xC2\\xB2" "\\xC2\\xB3" "E" "e-" "."
  "m" "kg" "s" "K" "A" "mol" "cd" "N" "Pa" "J" "W" "kW" "g" "h" "min" "mm" "km" "l" "ml"
  "\\xE2\\x82\\xAC" "\\x80" "St\\xC3\\xBCck" "Pi" "PU" "VARS" "UNITS" "Variable not found"
  "SIN" "COS" "TAN" "SINR" "COSR" "TANR" "ARCSIN" "ARCCOS" "ARCTAN" "COTAN" "RAD" "GRAD" "LN"
  "LOG10" "SINH" "COSH" "EXP" "EXP10" "SQRT" "ABS" "TRUNC" "FRAC" "SIGN" "MAX" "MIN" "POWER"
  "RhoLuft" "1E308" "2147483648" "0.5" " = " "\\x0A%%\\x0A" "1E-300" "0m")
set(quorvel_dict "")
foreach(word IN LISTS quorvel_dict_words)
  string(APPEND quorvel_dict "\"${word}\"\n")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/eval_line.dict "${quorvel_dict}")
