# Run by CPack once it has made the .deb packages, before it copies them to
# the build directory and writes their checksums. The shared library's
# package activates the ldconfig trigger (activate-noawait ldconfig), as
# Debian asks of a package with a shared library, in place of the postinst
# and postrm that call ldconfig, which is what CPack gives it.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
find_program(keycodesDpkgDeb dpkg-deb)
if(NOT keycodesDpkgDeb)
  message(WARNING "dpkg-deb is not installed: ${CPACK_DEBIAN_RUNTIME_PACKAGE_NAME} calls ldconfig from postinst "
                  "and postrm instead of the ldconfig trigger")
  return()
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(packageFile ${package} NAME)
  if(NOT packageFile MATCHES "^${CPACK_DEBIAN_RUNTIME_PACKAGE_NAME}_")
    continue()
  endif()
  set(tree ${CPACK_TEMPORARY_DIRECTORY}/ldconfigTrigger)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${keycodesDpkgDeb} --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  foreach(script postinst postrm)
    if(EXISTS ${tree}/DEBIAN/${script})
      # Only a script that does nothing but call ldconfig goes.
      file(STRINGS ${tree}/DEBIAN/${script} commands REGEX "^[ \t]*[^ \t#]")
      list(FILTER commands EXCLUDE REGEX "^[ \t]*(set -e|if \\[ .*\\]; then|ldconfig|fi)[ \t]*$")
      if(commands)
        message(FATAL_ERROR "${packageFile}: its ${script} does more than call ldconfig: ${commands}")
      endif()
      file(REMOVE ${tree}/DEBIAN/${script})
    endif()
  endforeach()
  file(WRITE ${tree}/DEBIAN/triggers "activate-noawait ldconfig\n")
  execute_process(COMMAND ${keycodesDpkgDeb} --root-owner-group --build ${tree} ${package}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
