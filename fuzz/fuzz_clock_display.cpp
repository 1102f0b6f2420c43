// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// WriteClockValue for any 32-bit value: what it writes reads back as the value
// (hours times 100 plus minutes), with a "0" in front of any hours or minutes
// below 10.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "clock_value.h"
#include "report_line.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// One side of the colon: the padding "0" is dropped before a minus sign.
std::int64_t ReadBack(std::string part) {
    if (part.size() > 1 && part[0] == '0' && part[1] == '-') part.erase(0, 1);
    Require(!part.empty() && part.find_first_not_of("-0123456789") == std::string::npos);
    return std::strtoll(part.c_str(), nullptr, 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
    const auto value = static_cast<ClockValue>(bits);

    ReportLine line;
    WriteClockValue(line, value);
    const std::string written(Text(line));

    const std::size_t colon = written.find(':');
    Require(colon != std::string::npos && written.find(':', colon + 1) == std::string::npos);
    const std::int64_t hours = ReadBack(written.substr(0, colon));
    const std::int64_t minutes = ReadBack(written.substr(colon + 1));
    Require(hours * 100 + minutes == value);
    Require((hours < 10) == (written[0] == '0'));
    Require((minutes < 10) == (written[colon + 1] == '0'));
    return 0;
}
