// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Reading and display of clock values.
#include "clock_value.h"

#include <cstdint>
#include <optional>

namespace {

constexpr IntegerReading Failed(std::size_t stop) { return {0, stop}; }

// The value of c as a digit of base 10 or 16, if it is one.
std::optional<unsigned> DigitValue(char c, unsigned base) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    if (base == 16 && c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    return std::nullopt;
}

// Appends a signed decimal number: a "-" in front when negative, no padding.
// 64 bits, so that the 32-bit minimum can be negated.
void AppendDecimal(ReportLine& line, std::int64_t number) {
    if (number < 0) {
        Append(line, "-");
        number = -number;
    }
    if (number >= 10) {
        AppendDecimal(line, number / 10);
    }
    const char digit = static_cast<char>('0' + number % 10);
    Append(line, std::string_view(&digit, 1));
}

}  // namespace

IntegerReading ReadInteger(std::string_view text) {
    const std::size_t length = text.size();
    // The 0-based index of the next character, after the leading blanks; an
    // empty text, or one of blanks alone, runs out too early.
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos) {
        return Failed(length + 1);
    }
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        if (++at == length) {
            return Failed(length + 1);
        }
    }
    unsigned base = 10;
    if (text[at] == '$') {
        base = 16;
        if (++at == length) {
            return Failed(length + 1);
        }
    }
    // The magnitude may reach 2^31 only when it is negated afterwards.
    const std::uint32_t limit = negative ? 2147483648U : 2147483647U;
    std::uint32_t magnitude = 0;
    for (; at < length; ++at) {
        const std::optional<unsigned> digit = DigitValue(text[at], base);
        if (!digit || magnitude > (limit - *digit) / base) {
            return Failed(at + 1);
        }
        magnitude = magnitude * base + *digit;
    }
    const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : magnitude;
    return {static_cast<std::int32_t>(value), 0};
}

ClockValue ReadClockValue(std::string_view text) {
    const IntegerReading first = ReadInteger(text);
    if (first.stop == 0) {
        return first.value;
    }
    // Keep what was read before the stop; a failed second reading gives 0.
    return ReadInteger(std::string_view(text.data(), first.stop - 1)).value;
}

void WriteClockValue(ReportLine& output, ClockValue value) {
    // Both truncate toward zero, so the minutes carry the value's sign.
    const std::int32_t hours = value / 100;
    const std::int32_t minutes = value % 100;
    if (hours < 10) {
        Append(output, "0");
    }
    AppendDecimal(output, hours);
    Append(output, ":");
    if (minutes < 10) {
        Append(output, "0");
    }
    AppendDecimal(output, minutes);
}
