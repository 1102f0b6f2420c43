// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Merovak: tells a script whether the local time of day has reached a given
// time (HHMM). Exit status 5 when it has, 0 when not yet, 10 when the time is
// out of range; a one-line report on standard output says the same.
#include <string_view>

#include "clock_value.h"
#include "platform.h"
#include "report_line.h"
#include "verdict.h"
#include "wall_clock.h"

namespace {

constexpr std::string_view UsageText =
    "Merovak v1.0 (c) 2026 the Merovak authors\r\n"
    "\r\n"
    "Checks if a given time has already passed\r\n"
    "Usage: Merovak [>OutputFile] TIME\r\n"
    " - Outputfile determines where the info goes\r\n"
    " - Time is a time in format UUMM for example 0930\r\n"
    "Return code will be 5 if it is past 09:30 else 0\r\n";

}  // namespace

int main(int argc, char** argv) {
    PrepareProcess();

    // Only the first argument counts, and it must be exactly four bytes long.
    const std::string_view argument = FirstArgument(argc, argv);
    if (argument.size() != 4) {
        WriteStandardOutput(UsageText);
        return ExitNotExpired;
    }

    // Each line is built whole and written at once.
    ReportLine line;
    const ClockValue checkTime = ReadClockValue(argument);
    if (!IsLegalCheckTime(checkTime)) {
        Append(line, "Illegal Time : ");
        WriteClockValue(line, checkTime);
        Append(line, "  Aborted check !!! (returncode=10)\r\n");
        WriteStandardOutput(Text(line));
        return ExitIllegalTime;
    }

    const ClockValue currentTime = ReadWallClock();
    const bool expired = currentTime >= checkTime;
    Append(line, "Current Time : ");
    WriteClockValue(line, currentTime);
    Append(line, "   Check Time : ");
    WriteClockValue(line, checkTime);
    Append(line,
           expired ? "  Time Expired !!! (returncode=5)\r\n" : "  Not Expired (returncode=0)\r\n");
    WriteStandardOutput(Text(line));
    return expired ? ExitExpired : ExitNotExpired;
}
