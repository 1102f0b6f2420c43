// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The one seam to the operating system: the argument list, the local clock and
// standard output. Everything else in the command is the same on every system.
#pragma once

#include <string_view>

struct TimeOfDay {
    int hour;  // 0 to 23
    int minute;
    int second;
    int millisecond;
};

// Sets the process up for the run: a reader that goes away while the command
// writes, or a limit on the size of the file written, must not end the process.
void PrepareProcess();

// The first non-empty argument after the program's own name, or an empty text
// when there is none. One longer than 255 bytes may come back cut short, but
// never as short as four bytes.
std::string_view FirstArgument(int argc, char** argv);

// The local time of day, in the system's time zone with daylight saving.
TimeOfDay LocalTimeOfDay();

// Hands the bytes to standard output in one write. Errors are ignored: they
// change neither flow nor status.
void WriteStandardOutput(std::string_view bytes);
