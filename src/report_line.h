// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// One line of the report, built whole in a fixed buffer and handed to standard
// output in one write, so that lines of jobs appending to one log never mix.
#pragma once

#include <cstddef>
#include <string_view>

// Room for the longest line: two labels, the displays of two 32-bit values and
// the verdict come to 96 bytes.
constexpr std::size_t ReportLineCapacity = 128;

struct ReportLine {
    char bytes[ReportLineCapacity];
    std::size_t length = 0;
};

// Appends the text; bytes beyond the capacity are dropped, never written past it.
void Append(ReportLine& line, std::string_view text);

inline std::string_view Text(const ReportLine& line) { return {line.bytes, line.length}; }
