// The seam to the operating system, for POSIX systems and for Windows.
#include "platform.h"

#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "command_line.h"

// Nothing to prepare: output goes through WriteFile, which never translates
// line ends (no text mode), and a closed pipe only fails the write.
void PrepareProcess() {}

// Windows hands over one raw command line; it is split here by the command's
// own rules, not the C runtime's.
std::vector<std::string> ArgumentList(int, char**) {
    return CommandLineArguments(GetCommandLineA());
}

TimeOfDay LocalTimeOfDay() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

namespace {

// WriteFile passes bytes through untranslated, so a line ends in CR LF exactly.
bool WriteToHandle(void* target, std::string_view bytes) {
    const HANDLE handle = static_cast<HANDLE>(target);
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

ReportStream StandardOutput() {
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    const bool usable = handle != nullptr && handle != INVALID_HANDLE_VALUE;
    return {WriteToHandle, handle, !usable};
}

#else

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

void PrepareProcess() {
    // A closed pipe then fails the write (EPIPE) instead of killing the process.
    std::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> ArgumentList(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '\0') {
            arguments.emplace_back(argv[i]);
        }
    }
    return arguments;
}

TimeOfDay LocalTimeOfDay() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)};
}

namespace {

// Retries partial writes and interrupted ones; any other error ends writing.
bool WriteToDescriptor(void* target, std::string_view bytes) {
    const int descriptor = *static_cast<int*>(target);
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int standardOutputDescriptor = STDOUT_FILENO;

}  // namespace

ReportStream StandardOutput() { return {WriteToDescriptor, &standardOutputDescriptor, false}; }

#endif
