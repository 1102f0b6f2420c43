// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The current local time of day as a clock value.
#pragma once

#include "clock_value.h"
#include "platform.h"

// The time of day as "hhmm" on the 24-hour clock, read back with ReadClockValue:
// 09:05:30 gives 905, 13:00 gives 1300. Seconds and milliseconds never round the
// minute up, so 09:29:59.999 gives 929.
ClockValue TimeOfDayToClockValue(TimeOfDay time);

// The local time of day now, in the system's time zone with daylight saving.
ClockValue ReadWallClock();
