// Writes through to the sink, and stops writing after the first failure.
#include "report_stream.h"

void Write(ReportStream& stream, std::string_view text) {
    if (stream.failed || text.empty()) {
        return;
    }
    if (!stream.sink(stream.target, text)) {
        stream.failed = true;
    }
}
