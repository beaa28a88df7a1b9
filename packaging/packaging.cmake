# Installation and packages: the .deb packages and the .tar.gz of the native
# Linux build, the .zip of the Windows build. The version is the project
# version. The install components are the tool ("tool"), the shared library
# ("runtime") and what programs are built with ("development", from
# cmake/libraryFiles.cmake), one Debian package each: keycodes,
# libkeycodes1 and libkeycodes-dev. The .tar.gz and the .zip hold them all.

set(KEYCODES_PACKAGE_CONTACT "keycodes developers <keycodes@example.org>"
    CACHE STRING "The maintainer named in the packages, as Name <address>")

install(TARGETS keycodes RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/keys.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT tool)

# The changelog's newest entry is the version the packages carry.
set(keycodesChangelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
file(STRINGS ${keycodesChangelog} keycodesChangelogTop LIMIT_COUNT 1)
if(NOT keycodesChangelogTop MATCHES "^${PROJECT_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with \"${keycodesChangelogTop}\": "
                      "add an entry for version ${PROJECT_VERSION} at its top")
endif()

if(NOT WIN32)
  # The manual pages and the changelog installed compressed, as Debian
  # expects them: gzip -9 with no name or time stamp, so a rebuild gives the
  # same bytes.
  find_program(KEYCODES_GZIP gzip REQUIRED)
  set(keycodesCompressedFiles)
  foreach(pair "docs/keycodes.1|keycodes.1" "docs/keycodes.3|keycodes.3" "packaging/changelog|changelog")
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
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/keycodes.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT tool)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/keycodes.3.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man3
          COMPONENT development)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT tool)
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
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpackOptions.cmake)

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
  # One .deb for each install component.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL tool runtime development)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_TOOL_PACKAGE_NAME keycodes)
  set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_TOOL_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libkeycodes${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  string(CONCAT CPACK_DEBIAN_RUNTIME_DESCRIPTION
      "read keys with the PC console's character codes (shared library)\n"
      "The keycodes library reads keys raw from the terminal, one code at a\n"
      "time, as the PC console delivers them: a character's code, or for a key\n"
      "without a character a lead code (0 or 224) and a second code. It takes\n"
      "the terminal at the first read and restores it at exit, on signals and\n"
      "on request.\n"
      "\n"
      "This package holds the shared library.")
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libkeycodes-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  string(CONCAT CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
      "read keys with the PC console's character codes (development files)\n"
      "The keycodes library reads keys raw from the terminal, one code at a\n"
      "time, as the PC console delivers them: a character's code, or for a key\n"
      "without a character a lead code (0 or 224) and a second code.\n"
      "\n"
      "This package holds the header keycodes.h, the static library, the CMake\n"
      "package, the pkg-config file and the manual page keycodes(3).")
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libkeycodes${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION})")
  # The shared library's package tells dpkg-shlibdeps which version other
  # packages need (a shlibs file), and runs ldconfig when installed (by the
  # ldconfig trigger, put in after CPack has made the package).
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debianLdconfigTrigger.cmake)
  # dpkg-shlibdeps (Debian package dpkg-dev) works the dependencies out from
  # the executable and the library; without it they are the libraries every
  # C++ program needs.
  find_program(KEYCODES_DPKG_SHLIBDEPS dpkg-shlibdeps)
  # Each .deb carries the licence and the changelog in its documentation
  # directory, the licence as copyright.
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debianCopyright.cmake)
  set(CPACK_KEYCODES_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
  set(CPACK_KEYCODES_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz)
  set(CPACK_KEYCODES_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  if(KEYCODES_STATIC)
    # A statically linked tool depends on no shared library.
  elseif(KEYCODES_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_TOOL_PACKAGE_SHLIBDEPS ON)
  elseif(keycodesHardened AND CMAKE_BUILD_TYPE STREQUAL "Release")
    # The C++ runtime is linked into the release tool.
    set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "libc6")
  else()
    set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  endif()
  if(KEYCODES_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
    unset(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS)
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
