// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Read first in a build against musl: libstdc++'s configuration header tests
// the glibc version with this macro, which musl does not define. No glibc.
#define __GLIBC_PREREQ(major, minor) 0
