// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Reading and display of clock values, the range test and the report line.
#include "clock_value.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "report_line.h"
#include "verdict.h"

namespace {

std::string Display(ClockValue value) {
    ReportLine line;
    WriteClockValue(line, value);
    return std::string(Text(line));
}

struct ReadingCase {
    std::string text;
    std::int32_t value;
    std::size_t stop;
    ClockValue clockValue;
    std::string display;
};

const ReadingCase readingCases[] = {
    {"0930", 930, 0, 930, "09:30"},
    {"+930", 930, 0, 930, "09:30"},
    {" 930", 930, 0, 930, "09:30"},
    {"930 ", 0, 4, 930, "09:30"},
    {"9:30", 0, 2, 9, "00:09"},
    {"09.3", 0, 3, 9, "00:09"},
    {"12x4", 0, 3, 12, "00:12"},
    {"1 2 ", 0, 2, 1, "00:01"},
    {"abcd", 0, 1, 0, "00:00"},
    {"0x10", 0, 2, 0, "00:00"},
    {"00-1", 0, 3, 0, "00:00"},
    {"-930", -930, 0, -930, "0-9:0-30"},
    {"-001", -1, 0, -1, "00:0-1"},
    {"-  5", 0, 2, 0, "00:00"},
    {"--12", 0, 2, 0, "00:00"},
    {"    ", 0, 5, 0, "00:00"},
    {"+$10", 16, 0, 16, "00:16"},
    {"$abc", 2748, 0, 2748, "27:48"},
    {"$ABC", 2748, 0, 2748, "27:48"},
    {"$fFG", 0, 4, 255, "02:55"},
    {"$0g0", 0, 3, 0, "00:00"},
    {"-$10", -16, 0, -16, "00:0-16"},
    {"$-10", 0, 2, 0, "00:00"},
    {"\t930", 0, 1, 0, "00:00"},
    {"2400", 2400, 0, 2400, "24:00"},
    {"9999", 9999, 0, 9999, "99:99"},
    {"", 0, 1, 0, "00:00"},
    {"+", 0, 2, 0, "00:00"},
    {"-", 0, 2, 0, "00:00"},
    {"$", 0, 2, 0, "00:00"},
    // Long texts: a digit that would leave the 32-bit range stops reading.
    {"2147483647", INT_MAX, 0, INT_MAX, "21474836:47"},
    {"2147483648", 0, 10, 214748364, "2147483:64"},
    {"-2147483648", INT_MIN, 0, INT_MIN, "0-21474836:0-48"},
    {"-2147483649", 0, 11, -214748364, "0-2147483:0-64"},
    {"$7FFFFFFF", INT_MAX, 0, INT_MAX, "21474836:47"},
    {"$80000000", 0, 9, 0x8000000, "1342177:28"},
    {"-$80000000", INT_MIN, 0, INT_MIN, "0-21474836:0-48"},
    {"99999999999", 0, 10, 999999999, "9999999:99"},
    {"000000000000000000000930", 930, 0, 930, "09:30"},
};

TEST(ClockValue, ReadsAndDisplaysEveryTextOfTheTable) {
    for (const ReadingCase& c : readingCases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        const IntegerReading reading = ReadInteger(c.text);
        EXPECT_EQ(reading.value, c.value);
        EXPECT_EQ(reading.stop, c.stop);
        const ClockValue clockValue = ReadClockValue(c.text);
        EXPECT_EQ(clockValue, c.clockValue);
        EXPECT_EQ(Display(clockValue), c.display);
    }
}

TEST(ClockValue, DisplaysValuesAsHoursColonMinutes) {
    const std::pair<ClockValue, std::string> cases[] = {
        {0, "00:00"},    {5, "00:05"},   {100, "01:00"},   {930, "09:30"},
        {2359, "23:59"}, {-1, "00:0-1"}, {-100, "0-1:00"}, {-1000, "0-10:00"},
        {1000, "10:00"}, {-5, "00:0-5"}, {-59, "00:0-59"}, {2110, "21:10"},
    };
    for (const auto& [value, display] : cases) {
        EXPECT_EQ(Display(value), display) << "value " << value;
    }
}

TEST(Verdict, LegalCheckTimesAreRealTimesOfDay) {
    const std::pair<ClockValue, bool> cases[] = {
        {0, true},     {959, true},   {1259, true},     {2359, true},     {-1, false},
        {-930, false}, {960, false},  {1260, false},    {2360, false},    {2400, false},
        {9999, false}, {-100, false}, {INT_MIN, false}, {INT_MAX, false},
    };
    for (const auto& [checkTime, legal] : cases) {
        EXPECT_EQ(IsLegalCheckTime(checkTime), legal) << "check time " << checkTime;
    }
}

TEST(ReportLine, HoldsTheLongestLineAndNeverWritesPastItsEnd) {
    ReportLine line;
    Append(line, "Current Time : ");
    WriteClockValue(line, INT_MIN);
    Append(line, "   Check Time : ");
    WriteClockValue(line, INT_MIN);
    Append(line, "  Time Expired !!! (returncode=5)\r\n");
    EXPECT_EQ(Text(line),
              "Current Time : 0-21474836:0-48   Check Time : 0-21474836:0-48  "
              "Time Expired !!! (returncode=5)\r\n");

    Append(line, std::string(ReportLineCapacity, 'x'));
    EXPECT_EQ(line.length, ReportLineCapacity);
    EXPECT_EQ(Text(line).back(), 'x');
}

}  // namespace
