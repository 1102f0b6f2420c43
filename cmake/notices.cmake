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
file(STRINGS "${MAP}" lines)

# The objects loaded whole (start files), and an entry for each archive member
# taken in; the program's own files have relative paths.
set(objects)
set(members)
set(section "")
foreach(line IN LISTS lines)
  if(line MATCHES "^Archive member included")
    set(section "archive")
  elseif(line MATCHES "^(Discarded input sections|Memory Configuration)")
    set(section "")
  elseif(section STREQUAL "archive" AND line MATCHES "^(/[^(]+\\.a)\\(")
    cmake_path(SET path NORMALIZE "${CMAKE_MATCH_1}")
    list(APPEND members "${path}")
  elseif(line MATCHES "^LOAD (/.+\\.o)$")
    cmake_path(SET path NORMALIZE "${CMAKE_MATCH_1}")
    list(APPEND objects "${path}")
  endif()
endforeach()
set(archives ${members})
list(REMOVE_DUPLICATES archives)
set(packages)

# Each file's package, from lines such as "musl-dev:amd64: /usr/lib/.../libc.a".
if(NOT DEFINED DPKG)
  find_program(DPKG dpkg)
endif()
if(DPKG)
  execute_process(COMMAND ${DPKG} -S ${objects} ${archives} OUTPUT_VARIABLE owners
    ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "No package owns a file linked into the program: ${error}")
  endif()
  string(REPLACE "\n" ";" owners "${owners}")
  foreach(line IN LISTS owners)
    if(line MATCHES "^([^:, ]+)(:[a-z0-9]+)?: (/.+)$")
      set(owner_${CMAKE_MATCH_3} ", from ${CMAKE_MATCH_1}")
      list(APPEND packages ${CMAKE_MATCH_1})
    endif()
  endforeach()
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
    foreach(member IN LISTS members)
      if(member STREQUAL path)
        math(EXPR count "${count} + 1")
      endif()
    endforeach()
    set(count " (${count} of its members)")
  endif()
  string(APPEND text "  ${path}${count}${owner_${path}}\n")
endforeach()
if(NOT DPKG)
  string(APPEND text "\nTheir copyright and licence texts could not be gathered: this build machine\n"
         "has no Debian package tools to tell which packages hold them. Find them in\n"
         "the documentation of the packages that installed these files.\n")
endif()
list(REMOVE_DUPLICATES packages)
list(SORT packages)
if(packages)
  string(APPEND text "\nThe copyright and licence of each package, as it states them, follow.\n")
endif()
foreach(package IN LISTS packages)
  file(READ /usr/share/doc/${package}/copyright copyright)
  string(APPEND text "\n\n==== ${package}: /usr/share/doc/${package}/copyright ====\n\n${copyright}")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
