// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The command-line splitter on any bytes: never an empty argument, arguments in
// order within the line, never more bytes than the line has, and a line without
// quotes splits exactly where its separators (bytes up to 32) cut it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> arguments;
    std::string_view rest = line;
    for (std::string_view raw = TakeArgument(rest); !raw.empty(); raw = TakeArgument(rest)) {
        Require(raw.data() >= line.data() && raw.data() + raw.size() <= rest.data());
        std::string argument(raw.size(), '\0');
        argument.resize(Unquote(raw, argument.data(), argument.size()));
        Require(!argument.empty());
        arguments.push_back(argument);
    }
    Require(rest.empty());

    if (line.find('"') == std::string_view::npos) {
        std::vector<std::string> pieces;
        std::string piece;
        for (char c : line) {
            if (!IsSeparator(c)) {
                piece += c;
            } else if (!piece.empty()) {
                pieces.push_back(piece);
                piece.clear();
            }
        }
        if (!piece.empty()) pieces.push_back(piece);
        Require(arguments == pieces);
    }
    return 0;
}
