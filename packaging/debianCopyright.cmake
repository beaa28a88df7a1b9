# Run by CPack once the files of the packages are staged. In each .deb the
# licence is the package's copyright file, /usr/share/doc/PACKAGE/copyright,
# and the changelog is /usr/share/doc/PACKAGE/changelog.gz, where Debian
# looks for them: the tool's package has both installed (the licence as
# LICENSE, renamed here), the library's packages get them here. The other
# packages keep the licence as LICENSE and have no documentation of the
# library's packages.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} componentVariable)
  set(package ${CPACK_DEBIAN_${componentVariable}_PACKAGE_NAME})
  set(docDir ${CPACK_TEMPORARY_DIRECTORY}/${component}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_KEYCODES_DOC_DIR}/${package})
  if(EXISTS ${docDir}/LICENSE)
    file(RENAME ${docDir}/LICENSE ${docDir}/copyright)
  else()
    file(MAKE_DIRECTORY ${docDir})
    file(COPY_FILE ${CPACK_KEYCODES_LICENSE} ${docDir}/copyright)
    file(COPY_FILE ${CPACK_KEYCODES_CHANGELOG} ${docDir}/changelog.gz)
  endif()
  if(NOT EXISTS ${docDir}/copyright OR NOT EXISTS ${docDir}/changelog.gz)
    message(FATAL_ERROR "the package ${package} has no copyright or changelog in ${docDir}")
  endif()
endforeach()
