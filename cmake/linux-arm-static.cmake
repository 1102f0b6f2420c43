# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A static 32-bit ARM Linux program against musl, for any Linux system on ARMv5TE
# or later, the first Raspberry Pi included: Debian's armel compiler and musl
# (soft float, no Thumb-2), since its armhf parts need ARMv7. GCC 12's
# -static-pie hands ARM programs a dynamic linker, so the linker is asked for
# the static PIE itself. qemu-user runs it on this machine.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(gnuTriplet arm-linux-gnueabi)
set(muslTriplet arm-linux-musleabi)
set(staticPie "-static -Wl,-pie,--no-dynamic-linker,-z,text")
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm1176)
