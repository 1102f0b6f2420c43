# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A static x86-64 Linux program against musl, for any Linux system. Its tests
# run it under qemu-user too: a static program takes no preloaded library, so
# libfaketime sets its clock from inside qemu, which gives its guest no vDSO.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-x86_64)
