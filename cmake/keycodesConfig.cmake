# The keycodes library: find_package(keycodes 1.2 REQUIRED) gives
#   keycodes::keycodes         the shared library (the static one on Windows)
#   keycodes::keycodes_static  the static library
# with the include directory of keycodes.h.
include("${CMAKE_CURRENT_LIST_DIR}/keycodesTargets.cmake")

if(NOT TARGET keycodes::keycodes)
  add_library(keycodes::keycodes INTERFACE IMPORTED)
  set_property(TARGET keycodes::keycodes PROPERTY INTERFACE_LINK_LIBRARIES keycodes::keycodes_static)
endif()
