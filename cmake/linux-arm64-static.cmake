# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A static arm64 Linux program against musl, for any Linux system; qemu-user
# runs it on this machine.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
