# Run by CPack once the files of a package are staged: in the .deb the
# licence is the package's copyright file, /usr/share/doc/keycodes/copyright,
# where Debian looks for it. The other packages keep it as LICENSE.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
file(GLOB_RECURSE keycodesStagedFiles LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER keycodesStagedFiles INCLUDE REGEX "/share/doc/keycodes/LICENSE$")
if(NOT keycodesStagedFiles)
  message(FATAL_ERROR "no share/doc/keycodes/LICENSE staged in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
foreach(licence IN LISTS keycodesStagedFiles)
  get_filename_component(docDir ${licence} DIRECTORY)
  file(RENAME ${licence} ${docDir}/copyright)
endforeach()
