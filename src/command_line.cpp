// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The command-line splitter: one pass over the bytes, no escape character.
#include "command_line.h"

namespace {

// Blank, tab and the other control characters. A command line holds no byte 0.
bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string_view TakeArgument(std::string_view& line) {
    while (!line.empty()) {
        // One piece: up to the first separator outside quotes, which goes with it.
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
        line.remove_prefix(end == line.size() ? end : end + 1);
        // A piece of quotes alone, such as "", is not an argument.
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
