// SPDX-License-Identifier: MIT
// The command-line splitter: one pass over the bytes, no escape character.
#include "command_line.h"

namespace {

bool IsSeparator(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

}  // namespace

std::string_view TakeArgument(std::string_view& line) {
    while (!line.empty()) {
        if (IsSeparator(line.front())) {
            line.remove_prefix(1);
            continue;
        }
        if (line.size() >= 2 && line[0] == '"' && line[1] == '"') {
            line.remove_prefix(2);  // an empty quoted argument is not counted
            continue;
        }
        std::size_t end = 0;
        bool quoted = false;
        bool hasText = false;
        for (; end < line.size() && (quoted || !IsSeparator(line[end])); ++end) {
            if (line[end] == '"') {
                quoted = !quoted;
            } else {
                hasText = true;
            }
        }
        const std::string_view raw(line.data(), end);
        line.remove_prefix(end);
        if (hasText) {
            return raw;
        }
    }
    return {};
}

std::size_t Unquote(std::string_view raw, char* out, std::size_t capacity) {
    std::size_t count = 0;
    for (const char c : raw) {
        if (c != '"' && count < capacity) {
            out[count++] = c;
        }
    }
    return count;
}
