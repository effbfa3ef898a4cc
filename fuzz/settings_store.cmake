# SPDX-License-Identifier: GPL-3.0-or-later
# The settings file reader: the ini document and the store's reading of values over any bytes.
quorvel_fuzz_target(settings_store_ini_fuzzer settings_store_ini_fuzzer.cpp)
target_link_libraries(settings_store_ini_fuzzer PRIVATE quorvel_engine)
