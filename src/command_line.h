// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// Splitting a raw command line, as Windows hands it over, into arguments.
#pragma once

#include <cstddef>
#include <string_view>

// Takes the next argument off the front of the line and gives its raw bytes,
// quotes still in; gives an empty text when no argument is left. Bytes up to
// 32 separate; a double quote opens a stretch up to the next one (or the end)
// in which separators belong to the argument; an argument of quotes alone, such
// as "", is skipped; there is no escape character.
std::string_view TakeArgument(std::string_view& line);

// Copies a raw argument without its quotes to `out`, at most `capacity` bytes,
// and gives the number of bytes copied.
std::size_t Unquote(std::string_view raw, char* out, std::size_t capacity);
