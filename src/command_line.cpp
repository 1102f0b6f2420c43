// The command-line splitter: one pass over the bytes, no escape character.
#include "command_line.h"

#include <utility>

namespace {

bool IsSeparator(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

}  // namespace

std::vector<std::string> CommandLineArguments(std::string_view line) {
    std::vector<std::string> pieces;
    std::size_t at = 0;
    while (at < line.size()) {
        if (IsSeparator(line[at])) {
            ++at;
            continue;
        }
        if (line.compare(at, 2, "\"\"") == 0) {
            at += 2;  // an empty quoted argument is not counted
            continue;
        }
        std::string piece;
        bool quoted = false;
        for (; at < line.size() && (quoted || !IsSeparator(line[at])); ++at) {
            if (line[at] == '"') {
                quoted = !quoted;
            } else {
                piece += line[at];
            }
        }
        if (!piece.empty()) {
            pieces.push_back(std::move(piece));
        }
    }
    if (!pieces.empty()) {
        pieces.erase(pieces.begin());  // the program's own name
    }
    return pieces;
}
