# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Writes THIRD-PARTY-NOTICES for a program linked with code of other projects
# (a static C library, a compiler's runtime): which of their files the linker
# took in, as its map of the link says, and the copyright file of each Debian
# package that holds them, as the package installs it, so that the notices are
# those of the versions linked. A file that no package owns stops the build.
# Without Debian's package tools (or with -DDPKG= empty), the files are listed
# and the notices say that their licences could not be gathered.
# Usage: cmake -DMAP=Merovak.map -DOUTPUT=THIRD-PARTY-NOTICES -DTITLE=... [-DDPKG=] -P notices.cmake
cmake_minimum_required(VERSION 3.21)
include(${CMAKE_CURRENT_LIST_DIR}/link-map.cmake)
if(DPKG)
  set(source "these files of Debian's packages")
else()
  set(source "these files of the build machine")
endif()

set(text "${TITLE}\n\nBesides its own code (see LICENSE), the program holds code of other projects,\n")
string(APPEND text "linked in from ${source}:\n\n")
foreach(path IN LISTS objects archives)
  set(count "")
  if(path IN_LIST archives)
    set(count 0)
    foreach(archive IN LISTS taken)
      if(archive STREQUAL path)
        math(EXPR count "${count} + 1")
      endif()
    endforeach()
    set(count " (${count} of its members)")
  endif()
  string(REGEX REPLACE "(.+)" ", from \\1" from "${owner_${path}}")
  string(REGEX REPLACE ":.*" "" from "${from}")
  string(APPEND text "  ${path}${count}${from}\n")
endforeach()
if(NOT DPKG)
  string(APPEND text "\nTheir copyright and licence texts could not be gathered: this build machine\n"
         "has no Debian package tools to tell which packages hold them. Find them in\n"
         "the documentation of the packages that installed these files.\n")
endif()
list(TRANSFORM packages REPLACE ":.*" "")
list(REMOVE_DUPLICATES packages)
if(packages)
  string(APPEND text "\nThe copyright and licence of each package, as it states them, follow.\n")
endif()
foreach(package IN LISTS packages)
  file(READ /usr/share/doc/${package}/copyright copyright)
  string(APPEND text "\n\n==== ${package}: /usr/share/doc/${package}/copyright ====\n\n${copyright}")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
