# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Read by CPack for each package it makes: every package holds the program and
# its manual page, and with them the Debian package's copyright and changelog,
# or the RPM's licence.
list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build)
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${build};Merovak;program;/;${build};Merovak;debian;/")
elseif(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${build};Merovak;program;/;${build};Merovak;rpm;/")
endif()
