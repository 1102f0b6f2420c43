# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Installing and packaging. On Linux: the command and its manual page; for the
# Debian package the copyright and changelog in its documentation folder, each
# as Debian wants it; for the RPM the licence, marked as such. CPack makes both.
# A static program goes in one folder with its manual page, the licence, the
# notices of other projects' code in it, the README and the guides for
# scripting on Linux and installing; on Windows the program, the licence, the
# notices and the guide for Windows go side by side, for a zip. Folders are made with the same modes whatever the umask, and time
# stamps come from SOURCE_DATE_EPOCH (scripts/release.sh fixes the rest).
include(GNUInstallDirs)

set(upstreamContact "The Merovak authors <merovak@example.org>")
set(MEROVAK_MAINTAINER "${upstreamContact}"
    CACHE STRING "Who maintains the packages, as: Name <address>")
set(MEROVAK_HOMEPAGE "" CACHE STRING "The project's home page, named in the packages if set")

set(CPACK_PACKAGE_NAME merovak)
set(CPACK_PACKAGE_VENDOR "The Merovak authors")
set(CPACK_PACKAGE_CONTACT "${MEROVAK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Merovak TIME compares the local time of day with TIME, written as HHMM,
and answers with its exit status: 5 when the time has been reached, 0 when
not yet, 10 when TIME is not a time of day. It also writes a one-line report
to standard output, so that a scheduled job or a batch script can both act
on the answer and log it.")
if(MEROVAK_HOMEPAGE)
  set(CPACK_PACKAGE_HOMEPAGE_URL "${MEROVAK_HOMEPAGE}")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MEROVAK_HOMEPAGE}")
endif()
set(CPACK_STRIP_FILES ON)
set(directoryMode OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
    WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${directoryMode})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${directoryMode})

if(WIN32)
  install(TARGETS Merovak RUNTIME DESTINATION .)
  # The guide for Windows users, as a text file with Windows line ends.
  configure_file(docs/windows.md README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES LICENSE ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
  # Everything at the zip's root, to unpack into a folder on the PATH.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME merovak-${PROJECT_VERSION}-windows-x64)
  else()
    set(CPACK_PACKAGE_FILE_NAME merovak-${PROJECT_VERSION}-windows-x86)
  endif()
elseif(MEROVAK_STATIC)
  install(TARGETS Merovak RUNTIME DESTINATION .)
  install(FILES man/Merovak.1 LICENSE README.md DESTINATION .)
  install(FILES docs/linux.md docs/install.md DESTINATION docs)
  set(CPACK_GENERATOR TGZ)
  string(REPLACE aarch64 arm64 architecture ${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_PACKAGE_FILE_NAME merovak-${PROJECT_VERSION}-linux-${architecture})
endif()

# The linker's map of the program says which files of other projects it holds,
# for the release's bills of materials and the notices.
if(NOT MSVC)
  target_link_options(Merovak PRIVATE -Wl,-Map=${PROJECT_BINARY_DIR}/Merovak.map)
endif()
# A self-contained program holds code of other projects (the C library, the
# compiler's runtime): their notices go beside it, made from the link map.
if(MINGW OR MEROVAK_STATIC)
  add_custom_command(TARGET Merovak POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=Merovak.map -DOUTPUT=THIRD-PARTY-NOTICES
      "-DTITLE=${CPACK_PACKAGE_FILE_NAME}: code of other projects in the program"
      -P ${PROJECT_SOURCE_DIR}/cmake/notices.cmake
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
  install(FILES ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES DESTINATION .)
elseif(NOT WIN32)
  # The packages' program takes nothing from the static C++ runtime and
  # libgcc, as its link map shows: only the start files of glibc, under its
  # exception for linking them, and GCC's crtbeginS.o and crtendS.o, under the
  # GCC Runtime Library Exception. Neither asks for a notice.

  # Uninstalling takes what install_manifest.txt lists: the files, then the
  # folders that installing made, each before its parent, so that
  #   xargs -d '\n' rm -df <install_manifest.txt
  # leaves the prefix as it was. A folder made by an earlier install into the
  # same build stays listed while it exists. (An install by component, as the
  # packages make, lists files alone.)
  set(folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man1
      ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
  install(CODE "set(folders \"${folders}\")
    set(manifest \"${PROJECT_BINARY_DIR}/install_manifest.txt\")")
  # A staged install (DESTDIR) lists its files without DESTDIR, as CMake does,
  # and no folders: the staging folder goes whole.
  install(CODE [[
    set(made)
    foreach(folder IN LISTS folders)
      cmake_path(SET path NORMALIZE "${CMAKE_INSTALL_PREFIX}/${folder}")
      while(NOT EXISTS "${path}" AND "$ENV{DESTDIR}" STREQUAL "")
        list(APPEND made "${path}")
        cmake_path(GET path PARENT_PATH path)
      endwhile()
    endforeach()
    if(EXISTS "${manifest}" AND "$ENV{DESTDIR}" STREQUAL "")
      file(STRINGS "${manifest}" earlier)
      foreach(path IN LISTS earlier)
        if(IS_DIRECTORY "${path}")
          list(APPEND made "${path}")
        endif()
      endforeach()
    endif()
  ]])
  install(TARGETS Merovak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)

  # The copyright file carries the licence text in Debian's indented form.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licenceText)
  string(REGEX REPLACE "^.*\n(Permission)" "\\1" licenceText "${licenceText}")
  string(STRIP "${licenceText}" licenceText)
  string(REPLACE "\n\n" "\n.\n" licenceText "${licenceText}")
  string(REPLACE "\n" "\n " licenceText " ${licenceText}")
  configure_file(packaging/copyright.in copyright @ONLY)
  configure_file(packaging/changelog.in changelog @ONLY)

  # The RPM's changelog holds the same entries: each Debian entry's trailer
  # line (maintainer and date) becomes the RPM entry's heading.
  file(READ ${PROJECT_BINARY_DIR}/changelog entries)
  set(entry "[a-z0-9.+-]+ \\(([^)]+)\\)[^\n]*\n\n((  [^\n]*\n)+)\n")
  set(trailer " -- ([^\n]+)  ([A-Z][a-z][a-z]), ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) [^\n]*\n?")
  string(REGEX REPLACE "${entry}${trailer}" "* \\5 \\7 \\6 \\8 \\4 - \\1-1\n\\2" entries
         "${entries}")
  string(REPLACE "\n  * " "\n- " entries "${entries}")
  string(REPLACE "\n    " "\n  " entries "${entries}")
  string(STRIP "${entries}" CPACK_RPM_MEROVAK_CHANGELOG)

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

  install(FILES ${PROJECT_BINARY_DIR}/Merovak.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT program)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME} COMPONENT debian)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/${CPACK_PACKAGE_NAME}
          COMPONENT rpm EXCLUDE_FROM_ALL)
  # A folder's last place in the list is after every folder within it.
  install(CODE [[
    list(REVERSE made)
    list(REMOVE_DUPLICATES made)
    list(REVERSE made)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES ${made})
  ]])
  # Each package takes the program and its own documents.
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/components.cmake)

  # By default, the packages whose tools the machine has: a Debian package
  # with its dependencies read by dpkg-shlibdeps, an RPM made by rpmbuild.
  find_program(MEROVAK_DPKG_SHLIBDEPS dpkg-shlibdeps)
  find_program(MEROVAK_RPMBUILD rpmbuild)
  set(CPACK_GENERATOR)
  foreach(generator DEB:DPKG_SHLIBDEPS RPM:RPMBUILD)
    string(REPLACE ":" ";" generator ${generator})
    list(GET generator 1 tool)
    if(MEROVAK_${tool})
      list(GET generator 0 generator)
      list(APPEND CPACK_GENERATOR ${generator})
    endif()
  endforeach()
  if(NOT CPACK_GENERATOR)
    set(CPACK_GENERATOR TGZ)
  endif()
  # A cross build's packages are for the processor it was built for.
  if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL aarch64)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
    set(CPACK_RPM_PACKAGE_ARCHITECTURE aarch64)
  endif()
  # Without the time zone data, every zone name reads as UTC.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS tzdata)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_RPM_USER_BINARY_SPECFILE ${PROJECT_SOURCE_DIR}/packaging/merovak.rpm.in)
  set(CPACK_RPM_PACKAGE_LICENSE MIT)
  set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  set(CPACK_RPM_USER_FILELIST "%license /usr/share/licenses/merovak/LICENSE")
  set(CPACK_PACKAGE_RELOCATABLE OFF)
  # Folders that the system's own packages own.
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
      /usr/share/man /usr/share/man/man1 /usr/share/licenses)
endif()
include(CPack)
