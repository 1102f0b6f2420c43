// Splitting a raw command line, as Windows hands it over, into arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The arguments after the program's own name. Bytes 1 to 32 separate; a double
// quote opens a stretch up to the next one (or the end) in which separators
// belong to the argument, and the quotes are dropped; "" where an argument
// would begin is skipped; there is no escape character. Empty arguments are
// left out.
std::vector<std::string> CommandLineArguments(std::string_view line);
