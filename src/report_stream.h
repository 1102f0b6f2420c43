// The report stream: where the command's text goes. Each write goes straight
// through to its sink; once a write has failed, later writes are skipped, so an
// output error changes neither the flow nor the exit status.
#pragma once

#include <string_view>

struct ReportStream {
    // Writes all of the bytes; returns false when they could not be written.
    bool (*sink)(void* target, std::string_view bytes);
    void* target;
    bool failed;
};

void Write(ReportStream& stream, std::string_view text);
