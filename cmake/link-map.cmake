# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Reads the linker's map of the program (MAP), for notices.cmake and sbom.cmake,
# into: `objects`, the files of other projects loaded whole (start files);
# `archives`, the archives that members were taken from; `members`, an entry
# ARCHIVE(MEMBER) for each member taken in; `taken`, the archive of each, for
# counting. The program's own files have relative paths and are left out.
# With DPKG (found unless set, even empty), `packages` names the Debian package
# of each file, as NAME:ARCHITECTURE or, for a package of every architecture,
# NAME, and owner_PATH that of PATH; a file that no package owns stops the script.
file(STRINGS "${MAP}" lines)
set(objects)
set(members)
set(taken)
set(section "")
foreach(line IN LISTS lines)
  if(line MATCHES "^Archive member included")
    set(section "archive")
  elseif(line MATCHES "^(Discarded input sections|Memory Configuration)")
    set(section "")
  elseif(section STREQUAL "archive" AND line MATCHES "^(/[^(]+\\.a)\\(([^)]+)\\)")
    cmake_path(SET path NORMALIZE "${CMAKE_MATCH_1}")
    list(APPEND members "${path}(${CMAKE_MATCH_2})")
    list(APPEND taken "${path}")
  elseif(line MATCHES "^LOAD (/.+\\.o)$")
    cmake_path(SET path NORMALIZE "${CMAKE_MATCH_1}")
    list(APPEND objects "${path}")
  endif()
endforeach()
set(archives ${taken})
list(REMOVE_DUPLICATES archives)

# Each file's package, from lines such as "musl-dev:amd64: /usr/lib/.../libc.a".
set(packages)
if(NOT DEFINED DPKG)
  find_program(DPKG dpkg)
endif()
if(DPKG AND (objects OR archives))
  execute_process(COMMAND ${DPKG} -S ${objects} ${archives} OUTPUT_VARIABLE owners
    ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "No package owns a file linked into the program: ${error}")
  endif()
  string(REPLACE "\n" ";" owners "${owners}")
  foreach(line IN LISTS owners)
    if(line MATCHES "^([^:, ]+(:[a-z0-9]+)?): (/.+)$")
      set(owner_${CMAKE_MATCH_3} "${CMAKE_MATCH_1}")
      list(APPEND packages ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES packages)
  list(SORT packages)
endif()
