// SPDX-License-Identifier: MIT
// Reading and display of clock values.
#include "clock_value.h"

#include <cstdint>

namespace {

constexpr IntegerReading Failed(std::size_t stop) { return {0, stop}; }

// The value of c as a digit of base 10 or 16, or -1 when it is not one.
int DigitValue(char c, unsigned base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (base == 16 && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Appends a signed decimal number: a "-" in front when negative, no padding.
void AppendDecimal(ReportLine& line, std::int32_t number) {
    std::int64_t magnitude = number;
    if (magnitude < 0) {
        Append(line, "-");
        magnitude = -magnitude;
    }
    char digits[10];  // 2147483648 has ten
    std::size_t first = sizeof digits;
    do {
        digits[--first] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    Append(line, std::string_view(digits + first, sizeof digits - first));
}

}  // namespace

IntegerReading ReadInteger(std::string_view text) {
    const std::size_t length = text.size();
    if (length == 0) {
        return Failed(1);
    }
    std::size_t at = 0;  // 0-based index of the next character
    while (at < length && text[at] == ' ') {
        ++at;
    }
    if (at == length) {
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
        const int digit = DigitValue(text[at], base);
        if (digit < 0 || magnitude > (limit - static_cast<std::uint32_t>(digit)) / base) {
            return Failed(at + 1);
        }
        magnitude = magnitude * base + static_cast<std::uint32_t>(digit);
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
