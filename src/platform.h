// The one seam to the operating system: the argument list, the local clock and
// standard output. Everything else in the command is the same on every system.
#pragma once

#include <string>
#include <vector>

#include "report_stream.h"

struct TimeOfDay {
    int hour;  // 0 to 23
    int minute;
    int second;
    int millisecond;
};

// Sets the process up for the run: standard output as raw bytes, and a reader
// that goes away while the command writes must not end the process.
void PrepareProcess();

// The arguments after the program's own name, empty ones left out.
std::vector<std::string> ArgumentList(int argc, char** argv);

// The local time of day, in the system's time zone with daylight saving.
TimeOfDay LocalTimeOfDay();

// Standard output, written through on every write; errors make it skip the rest.
ReportStream StandardOutput();
