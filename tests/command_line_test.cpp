// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Splitting a raw Windows command line into the argument list.
#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
    std::string line;
    std::vector<std::string> arguments;
};

const SplitCase splitCases[] = {
    {"Merovak 0930", {"0930"}},
    {"Merovak 09\"3\"0", {"0930"}},
    {"Merovak \"\" 0930", {"0930"}},
    {"Merovak \"\"0930", {"0930"}},
    {"Merovak \"\"\"\" 0930", {"0930"}},
    {"Merovak \"\"\"\"", {}},
    {"Merovak a\"\"b", {"ab"}},
    {"Merovak \\\"0930", {"\\0930"}},
    {"Merovak \"09 30", {"09 30"}},
    {"Merovak 09\"30 x", {"0930 x"}},
    {"Merovak \"", {}},
    {"Merovak \"\"\"", {}},
    {"Merovak", {}},
    {"", {}},
    {"   ", {}},
    {"\"C:\\Program Files\\Merovak\\Merovak.exe\" 0930", {"0930"}},
    {"C:\\Tools\\Merovak.exe 0930 2400 extra", {"0930", "2400", "extra"}},
    {"Merovak\t0930\x01x\x1fy\x20z", {"0930", "x", "y", "z"}},
    {"Merovak\r\n0930\r\n", {"0930"}},
    {"Merovak \"a\tb\"", {"a\tb"}},
    {"Merovak !\x7f\x80\xff\xa0", {"!\x7f\x80\xff\xa0"}},
    {"Merovak 09\\\\30", {"09\\\\30"}},
    {"\"\" Merovak 0930", {"0930"}},
};

// Every argument after the program's own name, quotes dropped.
std::vector<std::string> Arguments(std::string_view line) {
    std::vector<std::string> arguments;
    TakeArgument(line);
    for (std::string_view raw = TakeArgument(line); !raw.empty(); raw = TakeArgument(line)) {
        std::string argument(raw.size(), '\0');
        argument.resize(Unquote(raw, argument.data(), argument.size()));
        arguments.push_back(argument);
    }
    return arguments;
}

TEST(CommandLine, SplitsARawLineIntoArguments) {
    for (const SplitCase& c : splitCases) {
        EXPECT_EQ(Arguments(c.line), c.arguments) << "line [" << c.line << "]";
    }
}

TEST(CommandLine, UnquotesNoMoreThanTheRoomGiven) {
    char out[4] = {'-', '-', '-', '-'};
    EXPECT_EQ(Unquote("\"09\"3\"0 x\"", out, 3), 3U);
    EXPECT_EQ(std::string(out, 4), "093-");
}

}  // namespace
