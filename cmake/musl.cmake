# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A static PIE against musl, for the processor that the including toolchain
# file sets, with Debian's g++ for it and musl-dev: libstdc++'s headers (the
# command takes only their header-only parts) over musl's C headers, musl's C
# library, start files and libgcc. The including file may name gnuTriplet,
# muslTriplet and staticPie, where they are not PROCESSOR-linux-gnu,
# PROCESSOR-linux-musl and -static-pie.
set(CMAKE_SYSTEM_NAME Linux)
set(MEROVAK_STATIC ON)
if(NOT DEFINED gnuTriplet)
  set(gnuTriplet ${CMAKE_SYSTEM_PROCESSOR}-linux-gnu)
  set(muslTriplet ${CMAKE_SYSTEM_PROCESSOR}-linux-musl)
  set(staticPie -static-pie)
endif()
set(CMAKE_CXX_COMPILER ${gnuTriplet}-g++)
set(musl /usr/lib/${muslTriplet})

# libstdc++'s header folders, as the compiler lists them, and no other system
# folder: every C header comes from musl.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -xc++ -E -v -
  INPUT_FILE /dev/null OUTPUT_QUIET ERROR_VARIABLE searchList)
string(REGEX MATCHALL "\n [^\n]*/c\\+\\+/[^\n]*" cxxFolders "${searchList}")
set(includes -nostdinc)
foreach(folder IN LISTS cxxFolders)
  string(STRIP "${folder}" folder)
  string(APPEND includes " -isystem ${folder}")
endforeach()
# libstdc++'s configuration asks the C library's version through a glibc macro.
string(APPEND includes " -isystem /usr/include/${muslTriplet}"
       " -include ${CMAKE_CURRENT_LIST_DIR}/musl-glibc-version.h")

foreach(file crtbeginS.o crtendS.o libgcc.a)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${file}
    OUTPUT_VARIABLE ${file} OUTPUT_STRIP_TRAILING_WHITESPACE)
endforeach()
set(CMAKE_CXX_FLAGS_INIT "${includes}")
# The start files around the objects, the libraries after them (the C library
# again after libgcc, whose 64-bit division may raise a signal); the static PIE
# comes after the -pie that a position-independent target asks for.
set(CMAKE_CXX_LINK_EXECUTABLE "<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> \
${staticPie} -nostdlib ${musl}/rcrt1.o ${musl}/crti.o ${crtbeginS.o} <OBJECTS> -o <TARGET> \
<LINK_LIBRARIES> ${musl}/libc.a ${libgcc.a} ${musl}/libc.a ${crtendS.o} ${musl}/crtn.o")

set(CMAKE_FIND_ROOT_PATH ${musl})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
