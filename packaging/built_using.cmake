# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack once it has made the package (CPACK_POST_BUILD_SCRIPTS). quorvel-calc holds the
# C library, linked in, so the package names the source of the C library it was built with in
# a Built-Using field, as Debian asks of statically linked programs. CPack has no setting for
# that field: the package is unpacked, the field added to its control file, and packed again.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  # The field joins the one paragraph, which CPack ends with an empty line.
  file(READ "${tree}/DEBIAN/control" control)
  string(STRIP "${control}" control)
  file(WRITE "${tree}/DEBIAN/control" "${control}\nBuilt-Using: ${CPACK_QUORVEL_BUILT_USING}\n")
  execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${deb}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
