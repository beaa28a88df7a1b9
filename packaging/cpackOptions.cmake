# Read by CPack for each generator before it makes its packages. Each .deb
# has a summary of its own, the first line of its description, so the
# project's summary is not put in front of it.
if(CPACK_GENERATOR STREQUAL "DEB")
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
endif()
