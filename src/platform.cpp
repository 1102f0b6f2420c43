// The seam to the operating system.
#include "platform.h"

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
