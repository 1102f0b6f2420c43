// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The floor of the start-up benchmark: the least a program does for the
// command's job, in plain C. It reads the clock, takes the local time of day
// and writes it in one line.
#include <time.h>
#include <unistd.h>

int main(void) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    char line[] = "Current Time : hh:mm\r\n";
    line[15] = (char)('0' + local.tm_hour / 10);
    line[16] = (char)('0' + local.tm_hour % 10);
    line[18] = (char)('0' + local.tm_min / 10);
    line[19] = (char)('0' + local.tm_min % 10);
    return write(STDOUT_FILENO, line, sizeof line - 1) < 0;
}
