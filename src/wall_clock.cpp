// SPDX-License-Identifier: MIT
// Reads the local clock and turns the time of day into a clock value through
// the same reader as the check time, so both sides of the comparison agree.
#include "wall_clock.h"

ClockValue TimeOfDayToClockValue(TimeOfDay time) {
    constexpr long lastMillisecondOfDay = 24L * 60 * 60 * 1000 - 1;
    long millisecondOfDay =
        ((time.hour * 60L + time.minute) * 60L + time.second) * 1000L + time.millisecond;
    // A leap second (23:59:60) still belongs to the day's last minute.
    if (millisecondOfDay > lastMillisecondOfDay) {
        millisecondOfDay = lastMillisecondOfDay;
    }
    const long hour = millisecondOfDay / 3600000L;
    const long minute = millisecondOfDay / 60000L % 60L;
    const char text[4] = {
        static_cast<char>('0' + hour / 10),
        static_cast<char>('0' + hour % 10),
        static_cast<char>('0' + minute / 10),
        static_cast<char>('0' + minute % 10),
    };
    return ReadClockValue(std::string_view(text, sizeof text));
}

ClockValue ReadWallClock() { return TimeOfDayToClockValue(LocalTimeOfDay()); }
