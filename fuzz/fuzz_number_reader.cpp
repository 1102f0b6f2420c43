// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// ReadInteger and ReadClockValue on any bytes: the stop position, the value of
// a failed reading, the size of short readings, and no overflow on long ones.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "clock_value.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

int DigitOf(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Where the digits begin (npos when the text ends first), their base and sign.
struct Digits {
    std::size_t start;
    int base;
    bool negative;
};

Digits FindDigits(std::string_view text) {
    Digits digits{text.find_first_not_of(' '), 10, false};
    std::size_t& at = digits.start;
    if (at == std::string_view::npos) return digits;
    if (text[at] == '+' || text[at] == '-') digits.negative = text[at++] == '-';
    if (at < text.size() && text[at] == '$') {
        digits.base = 16;
        ++at;
    }
    if (at >= text.size()) at = std::string_view::npos;
    return digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const IntegerReading reading = ReadInteger(text);
    const ClockValue clockValue = ReadClockValue(text);

    Require(reading.stop == 0 || (reading.stop >= 1 && reading.stop <= size + 1));
    Require(reading.stop == 0 || reading.value == 0);
    if (size <= 4) {
        Require(std::llabs(reading.value) <= 9999 && std::llabs(clockValue) <= 9999);
    }

    // A whole reading holds exactly the digits' value. A stop at a digit of the
    // base is allowed only where that digit would carry past the 32-bit range.
    const Digits digits = FindDigits(text);
    if (digits.start == std::string_view::npos) {
        Require(reading.stop == size + 1);
        return 0;
    }
    const std::int64_t limit = digits.negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    std::size_t at = digits.start;
    for (; at < size; ++at) {
        const int digit = DigitOf(text[at], digits.base);
        if (digit < 0 || magnitude * digits.base + digit > limit) break;
        magnitude = magnitude * digits.base + digit;
    }
    const std::int64_t value = digits.negative ? -magnitude : magnitude;
    if (at == size) {
        Require(reading.stop == 0 && reading.value == value);
    } else {
        Require(reading.stop == at + 1 && clockValue == value);
    }
    return 0;
}
