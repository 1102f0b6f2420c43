# SPDX-License-Identifier: MIT
# Installing and packaging. On Linux: the command, its manual page and, in the
# package's documentation folder, the copyright and the changelog, each
# compressed as Debian wants it; CPack makes a Debian package and an RPM. On
# Windows: the program, the licence and the README side by side, for a zip.
include(GNUInstallDirs)

set(MEROVAK_MAINTAINER "The Merovak authors <merovak@example.org>"
    CACHE STRING "Who maintains the packages, as: Name <address>")

set(CPACK_PACKAGE_NAME merovak)
set(CPACK_PACKAGE_VENDOR "The Merovak authors")
set(CPACK_PACKAGE_CONTACT "${MEROVAK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Merovak TIME compares the local time of day with TIME, written as HHMM,
and answers with its exit status: 5 when the time has been reached, 0 when
not yet, 10 when TIME is not a time of day. It also writes a one-line report
to standard output, so that a cron job or a batch script can both act on the
answer and log it.")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS Merovak RUNTIME DESTINATION .)
  install(FILES LICENSE README.md DESTINATION .)
  # Everything at the zip's root, to unpack into a folder on the PATH.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME merovak-${PROJECT_VERSION}-windows-x64)
  else()
    set(CPACK_PACKAGE_FILE_NAME merovak-${PROJECT_VERSION}-windows-x86)
  endif()
else()
  install(TARGETS Merovak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The copyright file carries the licence text in Debian's indented form.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licenceText)
  string(REGEX REPLACE "^.*\n(Permission)" "\\1" licenceText "${licenceText}")
  string(STRIP "${licenceText}" licenceText)
  string(REPLACE "\n\n" "\n.\n" licenceText "${licenceText}")
  string(REPLACE "\n" "\n " licenceText " ${licenceText}")
  configure_file(packaging/copyright.in copyright @ONLY)
  configure_file(packaging/changelog.in changelog @ONLY)

  # gzip -9n: the best compression, and no name or time stamp in the header,
  # so that the same sources give the same package.
  find_program(GZIP gzip REQUIRED)
  set(compressed)
  foreach(file ${PROJECT_SOURCE_DIR}/man/Merovak.1 ${PROJECT_BINARY_DIR}/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${name}.gz
      COMMAND ${GZIP} -9n -c ${file} > ${name}.gz
      DEPENDS ${file} VERBATIM)
    list(APPEND compressed ${PROJECT_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(compressed_documents ALL DEPENDS ${compressed})

  set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
  install(FILES ${PROJECT_BINARY_DIR}/Merovak.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${docdir})

  set(CPACK_GENERATOR DEB RPM)
  # A cross build's packages are for the processor it was built for.
  if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL aarch64)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
    set(CPACK_RPM_PACKAGE_ARCHITECTURE aarch64)
  endif()
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_RPM_PACKAGE_LICENSE MIT)
  set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
  set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  # Folders that the system's own packages own.
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
      /usr/share/man /usr/share/man/man1 /usr/share/doc)
endif()
include(CPack)
