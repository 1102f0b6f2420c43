// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The local time of day as a clock value, without the system clock.
#include "wall_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(WallClock, TimeOfDayGivesWholeMinutesOnThe24HourClock) {
    struct Case {
        TimeOfDay time;
        ClockValue expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 0},         {{0, 5, 0, 0}, 5},         {{9, 5, 30, 0}, 905},
        {{9, 29, 59, 999}, 929},   {{9, 30, 0, 0}, 930},      {{13, 0, 0, 0}, 1300},
        {{23, 59, 59, 999}, 2359}, {{23, 59, 60, 500}, 2359},  // a leap second
        {{21, 10, 0, 500}, 2110},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeOfDayToClockValue(c.time), c.expected)
            << c.time.hour << ":" << c.time.minute << ":" << c.time.second << "."
            << c.time.millisecond;
    }
}

}  // namespace
