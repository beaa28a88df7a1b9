# Cross-builds keycodes.exe with MinGW-w64 when it is installed, as part of
# the native build, so the tests can run it under Wine. The path of the
# executable is the KEYCODES_EXECUTABLE property of the target
# keycodes_windows; the target does not exist when MinGW-w64 is missing.

find_program(KEYCODES_MINGW_CXX x86_64-w64-mingw32-g++)
if(NOT KEYCODES_MINGW_CXX)
  message(STATUS "keycodes.exe is not cross-built: install MinGW-w64 (Debian package g++-mingw-w64-x86-64)")
  return()
endif()

include(ExternalProject)

set(keycodesWindowsDir ${CMAKE_BINARY_DIR}/windows)
set(keycodesWindowsExe ${keycodesWindowsDir}/keycodes.exe)

ExternalProject_Add(keycodes_windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${keycodesWindowsDir}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=Release
    -DKEYCODES_BUILD_TESTS=OFF
    -DKEYCODES_WARNINGS_AS_ERRORS=ON
  # The sources are the ones of this tree, so every build has to look at them.
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${keycodesWindowsExe}
  INSTALL_COMMAND "")

set_property(TARGET keycodes_windows PROPERTY KEYCODES_EXECUTABLE ${keycodesWindowsExe})
