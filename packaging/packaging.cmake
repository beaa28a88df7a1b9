# Installation and packages: the .deb and .tar.gz of the native Linux build,
# the .zip of the Windows build. The version is the project version.

include(GNUInstallDirs)

set(KEYCODES_PACKAGE_CONTACT "keycodes developers <keycodes@example.org>"
    CACHE STRING "The maintainer named in the packages, as Name <address>")

install(TARGETS keycodes RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/keys.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog's newest entry is the version the packages carry.
set(keycodesChangelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
file(STRINGS ${keycodesChangelog} keycodesChangelogTop LIMIT_COUNT 1)
if(NOT keycodesChangelogTop MATCHES "^${PROJECT_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with \"${keycodesChangelogTop}\": "
                      "add an entry for version ${PROJECT_VERSION} at its top")
endif()

if(NOT WIN32)
  # The manual page and the changelog installed compressed, as Debian
  # expects them: gzip -9 with no name or time stamp, so a rebuild gives the
  # same bytes.
  find_program(KEYCODES_GZIP gzip REQUIRED)
  set(keycodesCompressedFiles)
  foreach(pair "docs/keycodes.1|keycodes.1" "packaging/changelog|changelog")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 name)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name})
    add_custom_command(OUTPUT ${copy}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${copy}
      COMMAND ${KEYCODES_GZIP} -9 -n -f ${copy}
      DEPENDS ${PROJECT_SOURCE_DIR}/${source}
      COMMENT "Compressing ${name}"
      VERBATIM)
    list(APPEND keycodesCompressedFiles ${copy}.gz)
  endforeach()
  add_custom_target(keycodes_compressed_documents ALL DEPENDS ${keycodesCompressedFiles})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/keycodes.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "keycodes developers")
set(CPACK_PACKAGE_CONTACT "${KEYCODES_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show the character codes the console delivers for each key")
# Lines under 80 columns: the .deb shows them as they are.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "keycodes reads keys raw from the terminal, one at a time, and shows for\n"
    "each the character and its code in decimal, hexadecimal and octal. Keys\n"
    "without a character, such as function and cursor keys, give a lead code\n"
    "(0 or 224) and a second code, the extended keyboard codes of the PC.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # dpkg-shlibdeps (Debian package dpkg-dev) works the dependencies out from
  # the executable; without it they are the libraries every C++ program needs.
  find_program(KEYCODES_DPKG_SHLIBDEPS dpkg-shlibdeps)
  # The .deb carries the licence as /usr/share/doc/keycodes/copyright.
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debianCopyright.cmake)
  if(KEYCODES_STATIC)
    # A statically linked tool depends on no shared library.
  elseif(KEYCODES_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  elseif(keycodesHardened AND CMAKE_BUILD_TYPE STREQUAL "Release")
    # The C++ runtime is linked into the release tool.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  endif()
endif()

include(CPack)

# The .zip of keycodes.exe, from the Windows cross build made beside the
# native one: CPack run on that build's own configuration.
if(TARGET keycodes_windows)
  ExternalProject_Get_Property(keycodes_windows BINARY_DIR)
  add_custom_target(package_windows
    COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${BINARY_DIR}/CPackConfig.cmake -B ${CMAKE_BINARY_DIR}
    DEPENDS keycodes_windows
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Packing keycodes.exe into keycodes-${PROJECT_VERSION}-win64.zip"
    VERBATIM)
endif()
