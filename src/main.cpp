// Merovak: tells a script whether the local time of day has reached a given
// time (HHMM). Exit status 5 when it has, 0 when not yet, 10 when the time is
// out of range; a one-line report on standard output says the same.
#include <string_view>

#include "clock_value.h"
#include "platform.h"
#include "report_stream.h"
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
    ReportStream report = StandardOutput();

    // Only the first argument counts, and it must be exactly four bytes long.
    const std::vector<std::string> arguments = ArgumentList(argc, argv);
    if (arguments.empty() || arguments.front().size() != 4) {
        Write(report, UsageText);
        return ExitNotExpired;
    }

    const ClockValue checkTime = ReadClockValue(arguments.front());
    if (!IsLegalCheckTime(checkTime)) {
        Write(report, "Illegal Time : ");
        WriteClockValue(report, checkTime);
        Write(report, "  Aborted check !!! (returncode=10)\r\n");
        return ExitIllegalTime;
    }

    const ClockValue currentTime = ReadWallClock();
    Write(report, "Current Time : ");
    WriteClockValue(report, currentTime);
    Write(report, "   Check Time : ");
    WriteClockValue(report, checkTime);
    if (currentTime >= checkTime) {
        Write(report, "  Time Expired !!! (returncode=5)\r\n");
        return ExitExpired;
    }
    Write(report, "  Not Expired (returncode=0)\r\n");
    return ExitNotExpired;
}
