// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The exit statuses a caller tests, and which check times can be checked at all.
#pragma once

#include "clock_value.h"

constexpr int ExitNotExpired = 0;  // not yet; also after the usage text
constexpr int ExitExpired = 5;     // the current time is at or past the check time
constexpr int ExitIllegalTime = 10;

// A check time is a real time of day: hours below 24, minutes up to 59.
// A negative one is illegal too; it would otherwise pass for expired at any hour.
constexpr bool IsLegalCheckTime(ClockValue checkTime) {
    return checkTime >= 0 && checkTime < 2400 && checkTime % 100 <= 59;
}
