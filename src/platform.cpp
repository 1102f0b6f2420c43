// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The seam to the operating system, for POSIX systems and for Windows.
#include "platform.h"

#include <cstddef>

namespace {

// Only a four-byte argument is ever read, so this much of a longer one is
// enough to tell it apart.
constexpr std::size_t ArgumentBytesKept = 256;

}  // namespace

#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "command_line.h"

// Nothing to prepare: output goes through WriteFile, which never translates
// line ends (no text mode), and a closed pipe only fails the write.
void PrepareProcess() {}

// Windows hands over one raw command line; it is split here by the command's
// own rules, not the C runtime's.
std::string_view FirstArgument(int, char**) {
    static char argument[ArgumentBytesKept];
    std::string_view line = GetCommandLineA();
    TakeArgument(line);  // the program's own name
    return {argument, Unquote(TakeArgument(line), argument, sizeof argument)};
}

TimeOfDay LocalTimeOfDay() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

// WriteFile passes bytes through untranslated, so a line ends in CR LF exactly.
// A write that fails, or takes only part of the bytes (a full disk), would fail
// again: its result is not looked at.
void WriteStandardOutput(std::string_view bytes) {
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

#else

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

#include "zone_setting.h"

// A 32-bit count of seconds runs out on 2038-01-19 at 03:14:08 UTC; from then on
// the clock could not be read. A 32-bit glibc build asks for the 64-bit one with
// -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64, which the build gives it.
static_assert(sizeof(time_t) >= 8,
              "time_t must hold 64 bits: build with -D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64");

void PrepareProcess() {
    // A closed pipe, or a file at the size limit, then fails the write (EPIPE,
    // EFBIG) instead of killing the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

// The length is counted no further than what is kept; a full strlen would cost
// a symbol binding at start-up.
std::string_view FirstArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::size_t length = 0;
        while (length < ArgumentBytesKept && argv[i][length] != '\0') {
            ++length;
        }
        if (length > 0) {
            return {argv[i], length};
        }
    }
    return {};
}

TimeOfDay LocalTimeOfDay() {
#ifdef MEROVAK_STATIC
    // musl reads some TZ values otherwise than the packaged program's glibc:
    // hand it what glibc reads, in place of TZ's entry in the environment. One
    // pass over the environment, which is cheaper than getenv and putenv, and
    // no heap.
    static char setting[ZoneSettingCapacity];
    const auto isFile = [](const char* path) {
        struct stat status {};
        return stat(path, &status) == 0 && S_ISREG(status.st_mode);
    };
    const auto isZone = [](const char* text) {
        return text[0] == 'T' && text[1] == 'Z' && text[2] == '=';
    };
    char** entry = environ;
    while (*entry != nullptr && !isZone(*entry)) {
        ++entry;
    }
    // The first TZ entry is the one the C library reads.
    if (*entry != nullptr && ZoneSettingAsPackaged(*entry + 3, isFile, setting)) {
        *entry = setting;
    }
#endif
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)};
}

// A line is short enough that a pipe takes it whole, and no signal handler is
// installed to interrupt the write. A write that fails, or takes only part of
// the bytes (a full disk, the file size limit), would fail again: its result is
// not looked at.
void WriteStandardOutput(std::string_view bytes) {
    [[maybe_unused]] const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
}

#endif
