# What a program needs to use the library: the header, the libraries, the
# CMake package (find_package(keycodes 1.2) gives keycodes::keycodes) and the
# pkg-config file, installed and in the build tree. The shared library is
# the install component "runtime", everything else "development": the
# Debian packages libkeycodes1 and libkeycodes-dev.

include(CMakePackageConfigHelpers)

set(keycodesCMakeDir ${CMAKE_INSTALL_LIBDIR}/cmake/keycodes)
set(keycodesPkgConfigDir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS ${keycodesLibraries} EXPORT keycodesTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/keycodes.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(EXPORT keycodesTargets NAMESPACE keycodes:: DESTINATION ${keycodesCMakeDir} COMPONENT development)

# The same package file serves the installed library and the build tree
# (keycodes_DIR set to the build directory): it finds the targets beside it.
configure_file(${PROJECT_SOURCE_DIR}/cmake/keycodesConfig.cmake ${PROJECT_BINARY_DIR}/keycodesConfig.cmake COPYONLY)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/keycodesConfigVersion.cmake COMPATIBILITY SameMajorVersion)
export(EXPORT keycodesTargets NAMESPACE keycodes:: FILE ${PROJECT_BINARY_DIR}/keycodesTargets.cmake)
install(FILES ${PROJECT_BINARY_DIR}/keycodesConfig.cmake ${PROJECT_BINARY_DIR}/keycodesConfigVersion.cmake
        DESTINATION ${keycodesCMakeDir} COMPONENT development)

# keycodes.pc names the prefix the files are installed under: it is made
# with the configured prefix and written again at install time with the
# prefix given then (cmake --install --prefix, or /usr in a package).
configure_file(${PROJECT_SOURCE_DIR}/cmake/keycodes.pc.in ${PROJECT_BINARY_DIR}/keycodes.pc @ONLY)
install(CODE "
  file(READ \"${PROJECT_BINARY_DIR}/keycodes.pc\" keycodesPc)
  string(REGEX REPLACE \"^prefix=[^\\n]*\" \"prefix=\${CMAKE_INSTALL_PREFIX}\" keycodesPc \"\${keycodesPc}\")
  file(WRITE \"${PROJECT_BINARY_DIR}/installed/keycodes.pc\" \"\${keycodesPc}\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${keycodesPkgConfigDir}\" TYPE FILE
       FILES \"${PROJECT_BINARY_DIR}/installed/keycodes.pc\")
" COMPONENT development)

# The header's version is the project's.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/keycodes.h keycodesHeaderVersion REGEX "^#define KEYCODES_VERSION \"")
if(NOT keycodesHeaderVersion STREQUAL "#define KEYCODES_VERSION \"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "include/keycodes.h says ${keycodesHeaderVersion}: make it and the version numbers "
                      "above it ${PROJECT_VERSION}")
endif()
foreach(part MAJOR MINOR PATCH)
  file(STRINGS ${PROJECT_SOURCE_DIR}/include/keycodes.h keycodesHeaderPart REGEX "^#define KEYCODES_VERSION_${part} ")
  if(NOT keycodesHeaderPart STREQUAL "#define KEYCODES_VERSION_${part} ${PROJECT_VERSION_${part}}")
    message(FATAL_ERROR "include/keycodes.h says ${keycodesHeaderPart}, the project version ${PROJECT_VERSION}")
  endif()
endforeach()
