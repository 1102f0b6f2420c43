// SPDX-License-Identifier: MIT
// Building a report line in its fixed buffer.
#include "report_line.h"

void Append(ReportLine& line, std::string_view text) {
    const std::size_t room = ReportLineCapacity - line.length;
    const std::size_t count = text.size() < room ? text.size() : room;
    for (std::size_t i = 0; i < count; ++i) {
        line.bytes[line.length + i] = text[i];
    }
    line.length += count;
}
