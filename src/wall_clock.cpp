// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Reads the local clock and turns the time of day into a clock value through
// the same reader as the check time, so both sides of the comparison agree.
#include "wall_clock.h"

#include <algorithm>

ClockValue TimeOfDayToClockValue(TimeOfDay time) {
    const long millisecondOfDay =
        ((time.hour * 60L + time.minute) * 60L + time.second) * 1000L + time.millisecond;
    // Whole minutes; a leap second (23:59:60) still belongs to the day's last one.
    const long minuteOfDay = std::min(millisecondOfDay / 60000L, 24L * 60 - 1);
    const long hour = minuteOfDay / 60;
    const long minute = minuteOfDay % 60;
    const char text[] = {
        static_cast<char>('0' + hour / 10),
        static_cast<char>('0' + hour % 10),
        static_cast<char>('0' + minute / 10),
        static_cast<char>('0' + minute % 10),
    };
    return ReadClockValue(std::string_view(text, sizeof text));
}

ClockValue ReadWallClock() { return TimeOfDayToClockValue(LocalTimeOfDay()); }
