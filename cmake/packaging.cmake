# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Installing and packaging: what each package, archive and zip holds (as
# docs/install.md says), and the target package, which makes in BUILD/packages
# those that the table of builds names for the build's preset, each with its
# bill of materials (scripts/package.sh, scripts/release-data).
include(GNUInstallDirs)

set(upstreamContact "The Merovak authors <merovak@example.org>")
set(MEROVAK_MAINTAINER "${upstreamContact}"
    CACHE STRING "Who maintains the packages, as: Name <address>")
set(MEROVAK_HOMEPAGE "" CACHE STRING "The project's home page, named in the packages if set")
set(MEROVAK_SITE_URL "" CACHE STRING "The download site that the guides in the archives and zips name")
set(MEROVAK_FINGERPRINT "" CACHE STRING "The fingerprint of the site's signing key, which they state")
set(MEROVAK_AUTHENTICODE_CERT "" CACHE FILEPATH "Windows programs' code-signing certificate (chain), PEM")
set(MEROVAK_AUTHENTICODE_KEY "" CACHE FILEPATH "Its private key, PEM")
set(MEROVAK_PRESET "" CACHE STRING "The configure preset of this build, whose entry in CMakePresets.json names its packages")
set(releaseData ${PROJECT_SOURCE_DIR}/scripts/release-data)
set(description "Merovak TIME compares the local time of day with TIME, written as HHMM,
and answers with its exit status: 5 when the time has been reached, 0 when
not yet, 10 when TIME is not a time of day. It also writes a one-line report
to standard output, so that a scheduled job or a batch script can both act
on the answer and log it.")
# Folders are made with the same modes whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The linker's map of the program says which files of other projects it holds,
# for the notices and the bills of materials.
if(NOT MSVC)
  target_link_options(Merovak PRIVATE -Wl,-Map=${PROJECT_BINARY_DIR}/Merovak.map)
endif()

set(version ${PROJECT_VERSION})
set(stage ${PROJECT_BINARY_DIR}/stage)

# The manual, its header naming the version and the day of its entry in CHANGELOG.md.
file(STRINGS CHANGELOG.md entry REGEX "^## \\[${version}\\] - ")
string(REGEX MATCH "[0-9]+-[0-9]+-[0-9]+" day "${entry}")
file(READ man/Merovak.1 manual)
string(REGEX REPLACE "\n\\.TH [^\n]*" "\n.TH MEROVAK 1 \"${day}\" \"Merovak ${version}\" \"User Commands\""
  manual "${manual}")
file(CONFIGURE OUTPUT Merovak.1 CONTENT "${manual}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS man/Merovak.1 CHANGELOG.md)
set(manual ${PROJECT_BINARY_DIR}/Merovak.1)
file(GLOB releaseDataFiles ${PROJECT_SOURCE_DIR}/scripts/release_data/*.py)
# The guides that the archives and zips carry name the site, its key and the version.
set(guideSite --site=${MEROVAK_SITE_URL} --fingerprint=${MEROVAK_FINGERPRINT} --version=${version})
if(WIN32 OR MEROVAK_STATIC)
  if(WIN32)
    install(TARGETS Merovak RUNTIME DESTINATION .)
    # The guide for Windows users, as plain text with Windows line ends.
    add_custom_command(OUTPUT README.txt
      COMMAND ${releaseData} guide ${PROJECT_SOURCE_DIR} docs/windows.md README.txt --plain ${guideSite}
      DEPENDS docs/windows.md ${releaseDataFiles} VERBATIM)
    add_custom_target(documents ALL DEPENDS README.txt)
    install(FILES LICENSE ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
    # With a code-signing certificate, the program carries an Authenticode
    # signature, of SOURCE_DATE_EPOCH's time where it is set (the same bytes).
    if(MEROVAK_AUTHENTICODE_CERT)
      find_program(MEROVAK_OSSLSIGNCODE osslsigncode REQUIRED)
      string(REGEX REPLACE ".+" "-time;\\0" signingTime "$ENV{SOURCE_DATE_EPOCH}")
      add_custom_command(TARGET Merovak POST_BUILD
        COMMAND ${MEROVAK_OSSLSIGNCODE} sign -certs ${MEROVAK_AUTHENTICODE_CERT}
          -key ${MEROVAK_AUTHENTICODE_KEY} -h sha256 -n Merovak ${signingTime}
          -in $<TARGET_FILE:Merovak> -out Merovak.signed.exe
        COMMAND ${CMAKE_COMMAND} -E rename Merovak.signed.exe $<TARGET_FILE:Merovak>
        WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
    endif()
  else()
    # The README and the guides for Linux, linking only to what the archive holds.
    install(TARGETS Merovak RUNTIME DESTINATION .)
    install(FILES ${manual} LICENSE DESTINATION .)
    set(guides README.md docs/linux.md docs/install.md)
    set(held ${guides} Merovak.1 LICENSE THIRD-PARTY-NOTICES)
    set(made)
    foreach(guide IN LISTS guides)
      add_custom_command(OUTPUT guides/${guide}
        COMMAND ${releaseData} guide ${PROJECT_SOURCE_DIR} ${guide} guides/${guide} ${guideSite}
          --holds ${held}
        DEPENDS ${guide} ${releaseDataFiles} VERBATIM)
      list(APPEND made ${PROJECT_BINARY_DIR}/guides/${guide})
    endforeach()
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/guides/docs)
    add_custom_target(documents ALL DEPENDS ${made})
    install(FILES ${PROJECT_BINARY_DIR}/guides/README.md DESTINATION .)
    install(FILES ${PROJECT_BINARY_DIR}/guides/docs/linux.md ${PROJECT_BINARY_DIR}/guides/docs/install.md
            DESTINATION docs)
  endif()
  # A self-contained program holds code of other projects (the C library, the
  # compiler's runtime): their notices go beside it, made from the link map.
  add_custom_command(TARGET Merovak POST_BUILD
    COMMAND ${releaseData} notices Merovak.map
      "Merovak ${version} for ${CMAKE_SYSTEM_NAME} on ${CMAKE_SYSTEM_PROCESSOR}: code of other projects in the program"
      THIRD-PARTY-NOTICES
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
  install(FILES ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES DESTINATION .)
else()
  # The packages' program holds only glibc's and GCC's start files, under
  # exceptions that ask for no notice. Uninstalling takes the files that
  # install_manifest.txt lists, then the folders that install_folders.txt lists:
  # those that installing made (earlier installs' too, while they exist), each
  # before its parent; a staged install (DESTDIR) lists none.
  set(folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man1
      ${CMAKE_INSTALL_DATAROOTDIR}/doc/merovak)
  install(CODE "set(folders \"${folders}\")
    set(list \"${PROJECT_BINARY_DIR}/install_folders.txt\")")
  install(CODE [[
    set(made)
    foreach(folder IN LISTS folders)
      cmake_path(SET path NORMALIZE "${CMAKE_INSTALL_PREFIX}/${folder}")
      while(NOT EXISTS "${path}" AND "$ENV{DESTDIR}" STREQUAL "")
        list(APPEND made "${path}")
        cmake_path(GET path PARENT_PATH path)
      endwhile()
    endforeach()
    if(EXISTS "${list}" AND "$ENV{DESTDIR}" STREQUAL "")
      file(STRINGS "${list}" earlier)
      foreach(path IN LISTS earlier)
        if(IS_DIRECTORY "${path}")
          list(APPEND made "${path}")
        endif()
      endforeach()
    endif()
  ]])
  install(TARGETS Merovak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)

  # The copyright file carries the licence text in Debian's indented form; the
  # packages' descriptions are indented as each wants them.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licenceText)
  string(REGEX REPLACE "^.*\n(Permission)" "\\1" licenceText "${licenceText}")
  string(STRIP "${licenceText}" licenceText)
  string(REPLACE "\n\n" "\n.\n" licenceText "${licenceText}")
  string(REPLACE "\n" "\n " licenceText " ${licenceText}")
  string(REPLACE "\n" "\n " debianDescription " ${description}")
  set(homepageTag)
  set(debianHomepage)
  if(MEROVAK_HOMEPAGE)
    set(homepageTag "URL: ${MEROVAK_HOMEPAGE}")
    set(debianHomepage "Homepage: ${MEROVAK_HOMEPAGE}")
  endif()
  configure_file(packaging/copyright.in copyright @ONLY)
  configure_file(packaging/control.in debian/control @ONLY)
  configure_file(packaging/merovak.spec.in merovak.spec @ONLY)
  configure_file(packaging/merovak-archive-keyring.spec.in merovak-archive-keyring.spec @ONLY)

  # The Debian changelog, from CHANGELOG.md, which release-data writes with the
  # system's Python: a build without it has none to install, and no packages.
  set(documents ${manual})
  set(changelog)
  if(EXISTS /usr/bin/python3)
    add_custom_command(OUTPUT debian/changelog
      COMMAND ${releaseData} changelog debian ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${version}
        ${MEROVAK_MAINTAINER} --output debian/changelog
      DEPENDS CHANGELOG.md ${releaseDataFiles} VERBATIM)
    list(APPEND documents ${PROJECT_BINARY_DIR}/debian/changelog)
    set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  else()
    message(STATUS "No Debian changelog: release-data needs the system's Python (Debian package python3)")
  endif()

  # gzip -9n: no name or time stamp in the header, so the same bytes each time.
  find_program(GZIP gzip REQUIRED)
  set(compressed)
  foreach(file IN LISTS documents)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${name}.gz
      COMMAND ${GZIP} -9n -c ${file} > ${name}.gz
      DEPENDS ${file} VERBATIM)
    list(APPEND compressed ${PROJECT_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(documents ALL DEPENDS ${compressed})

  install(FILES ${PROJECT_BINARY_DIR}/Merovak.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT program)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${changelog}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/merovak COMPONENT debian)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/merovak
          COMPONENT rpm EXCLUDE_FROM_ALL)
  # A folder's last place in the list is after every folder within it.
  install(CODE [[
    list(REVERSE made)
    list(REMOVE_DUPLICATES made)
    list(REVERSE made)
    list(JOIN made "\n" made)
    file(WRITE "${list}" "${made}")
  ]])
endif()

# The packages of the build's preset, as the table of builds names them: none
# without a preset, or for a preset that makes none; a target package that
# fails, saying why, where the table cannot answer (a compiler that builds for
# another processor than the preset's, no system Python).
set(artifacts [])
if(MEROVAK_PRESET)
  execute_process(COMMAND ${releaseData} presets cmake ${MEROVAK_PRESET} ${version} ${CMAKE_SYSTEM_PROCESSOR}
    OUTPUT_VARIABLE artifacts ERROR_VARIABLE problem RESULT_VARIABLE status ERROR_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    add_custom_target(package COMMAND ${CMAKE_COMMAND} -E echo "No packages: ${problem} (${status})"
      COMMAND ${CMAKE_COMMAND} -E false VERBATIM)
    return()
  endif()
endif()
string(JSON last LENGTH "${artifacts}")
if(last EQUAL 0)
  return()
endif()
# Each package, staged and made by package.sh (a Debian package from
# debian/merovak, where dpkg-shlibdeps looks for its program), and its bill of
# materials, which names the Debian packages linked in and so needs dpkg.
find_program(MEROVAK_DPKG_QUERY dpkg-query)
set(commands)
math(EXPR last "${last} - 1")
foreach(index RANGE ${last})
  foreach(field file format processor upgradeCode)
    string(JSON ${field} GET "${artifacts}" ${index} ${field})
  endforeach()
  set(staged ${stage})
  if(format STREQUAL deb)
    set(staged ${PROJECT_BINARY_DIR}/debian/merovak)
  endif()
  set(artifact ${PROJECT_BINARY_DIR}/packages/${file})
  list(APPEND commands COMMAND ${CMAKE_COMMAND} -E env MEROVAK_UPGRADE_CODE=${upgradeCode}
       MEROVAK_SUMMARY=${PROJECT_DESCRIPTION} MEROVAK_HOMEPAGE=${MEROVAK_HOMEPAGE}
       MEROVAK_AUTHENTICODE_CERT=${MEROVAK_AUTHENTICODE_CERT} MEROVAK_AUTHENTICODE_KEY=${MEROVAK_AUTHENTICODE_KEY}
       bash ${PROJECT_SOURCE_DIR}/scripts/package.sh ${PROJECT_BINARY_DIR} ${staged} ${artifact} ${processor}
       ${version} ${MEROVAK_MAINTAINER})
  if(MEROVAK_DPKG_QUERY)
    list(APPEND commands COMMAND ${releaseData} sbom
         --map Merovak.map --stage ${staged} --name merovak --version ${version}
         --summary ${PROJECT_DESCRIPTION} --supplier ${MEROVAK_MAINTAINER}
         --vendor "The Merovak authors" --homepage=${MEROVAK_HOMEPAGE} ${artifact})
  endif()
endforeach()
add_custom_target(package ${commands} WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
add_dependencies(package Merovak)
if(TARGET documents)
  add_dependencies(package documents)
endif()
