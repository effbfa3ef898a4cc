# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, made by CPack from the same install rules as `cmake --install`, so the two
# cannot drift apart. `./quorvel.sh package` builds it; by hand: cpack --config CPackConfig.cmake
# in a build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Only our component, under its own name: CPack's installation into its staging folder is then
# recorded in install_manifest_quorvel.txt, never in the user's install_manifest.txt.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};${QUORVEL_INSTALL_COMPONENT};/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # quorvel_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORVEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries the programs link come from dpkg-shlibdeps. What the scan cannot see is
# loaded at run time: Qt's German texts for the standard buttons, the metric twins of the fonts
# the pages name, the plugin that draws the SVG icon, and the platform plugin for Wayland desktops.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, fonts-liberation2, libqt6svg6, qt6-wayland")
# quorvel-calc is linked statically where the C library allows (calc_static, read in
# CMakeLists.txt): the package then names the C library's source package and version it holds.
if(calc_static)
  execute_process(
    COMMAND dpkg-query "--showformat=\${source:Package} (= \${source:Version})" --show libc6-dev
    OUTPUT_VARIABLE CPACK_QUORVEL_BUILT_USING RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0)
    set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/built_using.cmake)
  endif()
endif()
# The synopsis, and the long text below it (CPack indents it and marks the empty line).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "worksheet calculator for formulas with physical units")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quorvel is a worksheet calculator for engineers, with a German user
interface. Formulas are typed line by line into a rich-text page; Enter
evaluates the line and writes the result behind it. Every value is a
physical quantity, so adding metres to seconds is refused, and results come
back in the units the formula used.

The package also holds quorvel-calc, which evaluates worksheets given as
text on the command line, for scripts, optionally with JSON output.")
include(CPack)
