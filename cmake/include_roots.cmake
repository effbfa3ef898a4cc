# SPDX-License-Identifier: GPL-3.0-or-later
# Includes are written from the repository root ("engine/quantity/si_number.h"), so that a path
# says its layer. A library sees only the top folders it may use: its include root is a folder in
# the build tree holding links to just those, so that an engine file that includes "gui/..." does
# not compile.
function(quorvel_include_root target)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARGN)
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    # A build folder copied or moved with its sources would otherwise still see the old ones.
    set(link ${root}/${folder})
    if(IS_SYMLINK ${link})
      file(READ_SYMLINK ${link} points_to)
    else()
      set(points_to "")
    endif()
    if(NOT points_to STREQUAL "${PROJECT_SOURCE_DIR}/${folder}")
      file(REMOVE ${link})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
