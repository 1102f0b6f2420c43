// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The time zone setting that makes the static program's C library read TZ as
// the packaged program's does.
#pragma once

#include <cstddef>
#include <string_view>

// Room for "TZ=", a zone folder and a zone name or rule of up to 255 bytes.
constexpr std::size_t ZoneSettingCapacity = 280;

// The static program's C library reads a TZ value that looks like a rule as
// one, where the packaged program's reads the zone file of that name first
// (EST5EDT, GB-Eire, NZ-CHAT); it gives a rule with a summer-time name but no
// switch dates (CET-1CEST) summer time all year, where the other takes the US
// dates; it takes a malformed rule (GB-Eire without its file) for a rule, where
// the other gives UTC; and after a ':' it reads only a zone file, where the
// other drops the ':' and goes on as without it. Writes "TZ=" and what to read
// instead, and a NUL, to `setting`: the path of the zone file, when a relative
// name without ".." names one that isFile says is there; else the rule, with
// the US dates where it has none; or nothing, for UTC. Gives false when TZ
// reads the same in both (a name without a digit or sign, a rule with dates, a
// path, a longer text).
bool ZoneSettingAsPackaged(std::string_view tz, bool (*isFile)(const char* path),
                           char (&setting)[ZoneSettingCapacity]);
