// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Building a report line in its fixed buffer.
#include "report_line.h"

#include <algorithm>

void Append(ReportLine& line, std::string_view text) {
    const std::size_t room = ReportLineCapacity - line.length;
    std::size_t length = line.length;
    for (const char c : std::string_view(text.data(), std::min(text.size(), room))) {
        line.bytes[length++] = c;
    }
    line.length = length;
}
