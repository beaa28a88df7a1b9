# Run by CPack once the files of a package are staged: in the .deb the
# licence is the package's copyright file, /usr/share/doc/keycodes/copyright,
# where Debian looks for it. The other packages keep it as LICENSE.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
file(GLOB_RECURSE keycodesLicences "${CPACK_TEMPORARY_DIRECTORY}/*/doc/keycodes/LICENSE")
message(STATUS "staged ${CPACK_TEMPORARY_DIRECTORY} ${CPACK_TEMPORARY_INSTALL_DIRECTORY}: ${keycodesLicences}")
foreach(licence IN LISTS keycodesLicences)
  get_filename_component(docDir ${licence} DIRECTORY)
  file(RENAME ${licence} ${docDir}/copyright)
endforeach()
