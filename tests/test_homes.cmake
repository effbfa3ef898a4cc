# SPDX-License-Identifier: GPL-3.0-or-later
# A home of its own for every test: HOME and the XDG folders of each test point into
# QUORVEL_TEST_HOMES/<test name> in the build folder, so that no test reads a user's settings or
# fills a user's trash. Read by CMake (tests/CMakeLists.txt), by CTest, which makes the folders
# before any test runs and gives homes to the tests GoogleTest lists only once they are built,
# and by the check that every test has its home (test_homes_check.cmake).

# CTest reads this file with the policies of old CMake versions.
cmake_policy(VERSION 3.25)

# Each variable with its folder inside the home, as the XDG base directories name them.
set(QUORVEL_TEST_HOME_FOLDERS "HOME=" "XDG_DATA_HOME=/.local/share" "XDG_CONFIG_HOME=/.config"
  "XDG_STATE_HOME=/.local/state" "XDG_CACHE_HOME=/.cache")

# The ENVIRONMENT_MODIFICATION entries that give the test its home, leaving out the variables
# named in the list `keep` (a test that sets its own HOME keeps it); makes the folders. The
# folder is the test's name with what a file name should not hold replaced ("Suite.Case/3" lives
# in "Suite.Case_3").
function(quorvel_test_home_environment name keep out)
  string(REGEX REPLACE "[^A-Za-z0-9._-]" "_" home "${name}")
  set(entries)
  foreach(entry IN LISTS QUORVEL_TEST_HOME_FOLDERS)
    string(REGEX MATCH "^([A-Z_]+)=(.*)$" matched "${entry}")
    set(path "${QUORVEL_TEST_HOMES}/${home}${CMAKE_MATCH_2}")
    file(MAKE_DIRECTORY "${path}")
    if(NOT CMAKE_MATCH_1 IN_LIST keep)
      list(APPEND entries "${CMAKE_MATCH_1}=set:${path}")
    endif()
  endforeach()
  set(${out} "${entries}" PARENT_SCOPE)
endfunction()

# CTest's part: homes for the tests of GoogleTest programs, whose names the lists named here hold
# (gtest_discover_tests puts them in <target>_TESTS when CTest reads the directory).
function(quorvel_give_listed_tests_homes)
  foreach(list IN LISTS ARGN)
    foreach(test IN LISTS ${list})
      quorvel_test_home_environment("${test}" "" environment)
      set_tests_properties("${test}" PROPERTIES ENVIRONMENT_MODIFICATION "${environment}")
    endforeach()
  endforeach()
endfunction()
