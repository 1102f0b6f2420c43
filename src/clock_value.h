// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Clock values: a time of day held as hour * 100 + minute (09:30 is 930), read
// leniently from text and written as hours, a colon and minutes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "report_line.h"

using ClockValue = std::int32_t;

// What ReadInteger gives: the value, and where reading stopped. The stop
// position is 0 when the whole text was read, else the 1-based position of the
// character that stopped it, or length + 1 when the text ran out too early.
struct IntegerReading {
    std::int32_t value;
    std::size_t stop;
};

// Reads an optionally signed decimal or "$"-prefixed hexadecimal integer after
// leading blanks. Any stop gives value 0. A digit that would carry the value
// out of the signed 32-bit range stops reading like any other non-digit.
IntegerReading ReadInteger(std::string_view text);

// Never fails: the value of the digits read before the first stop, or 0.
ClockValue ReadClockValue(std::string_view text);

// Appends the display of any value, without a line end: 930 is "09:30", -1 is
// "00:0-1", -930 is "0-9:0-30".
void WriteClockValue(ReportLine& output, ClockValue value);
