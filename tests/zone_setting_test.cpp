// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The zone setting for the static program.
#include "zone_setting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the static program hands musl as TZ, against a made-up set of zone files,
// or "" where both read it alike.
std::string Setting(const std::string& tz) {
    const auto isMadeUpFile = [](const char* path) {
        return std::string(
                   "|/usr/share/zoneinfo/EST5EDT|/usr/share/zoneinfo/Europe/Paris|"
                   "/usr/share/zoneinfo/GB-Eire|/usr/share/zoneinfo/leap-seconds.list|"
                   "/share/zoneinfo/Site-1|/etc/zoneinfo/Site-1|"
                   "/etc/zoneinfo/Local+2|/usr/share/zoneinfo/../zoneinfo/EST5EDT|")
                   .find("|" + std::string(path) + "|") != std::string::npos;
    };
    char setting[ZoneSettingCapacity];
    return ZoneSettingAsPackaged(tz, isMadeUpFile, setting) ? setting : "";
}

TEST(ZoneSetting, ReadsZoneFilesFirstAndGivesRulesWithoutDatesTheUSOnes) {
    // TZ, and what is read instead: a zone file, the rule (with the US dates
    // where it has none), or nothing (UTC) for a malformed rule.
    // clang-format off
    const char* changed[][2] = {
        {"EST5EDT", "TZ=/usr/share/zoneinfo/EST5EDT"}, {"Site-1", "TZ=/share/zoneinfo/Site-1"},
        {"GB-Eire", "TZ=/usr/share/zoneinfo/GB-Eire"}, {"abz5xyz", "TZ=abz5xyz,M3.2.0,M11.1.0"},
        {"Local+2", "TZ=/etc/zoneinfo/Local+2"}, {"CET-1CEST", "TZ=CET-1CEST,M3.2.0,M11.1.0"},
        {"EST5EDT4", "TZ=EST5EDT4,M3.2.0,M11.1.0"}, {"EST+5EDT", "TZ=EST+5EDT,M3.2.0,M11.1.0"},
        {"NST3:30NDT", "TZ=NST3:30NDT,M3.2.0,M11.1.0"},
        {"AKST9AKDT", "TZ=AKST9AKDT,M3.2.0,M11.1.0"},
        {"NZST-12NZDT", "TZ=NZST-12NZDT,M3.2.0,M11.1.0"},
        {"leap-seconds.list", "TZ=/usr/share/zoneinfo/leap-seconds.list"},
        {"<+0545>-5:45<+0645>", "TZ=<+0545>-5:45<+0645>,M3.2.0,M11.1.0"},
        {":EST5EDT", "TZ=/usr/share/zoneinfo/EST5EDT"}, {":CET-1CEST", "TZ=CET-1CEST,M3.2.0,M11.1.0"},
        {":EST5", "TZ=EST5"}, {":EST5EDT4,M3.2.0,M11.1.0", "TZ=EST5EDT4,M3.2.0,M11.1.0"},
        {"NZ-CHAT", "TZ="}, {"ES5EDT", "TZ="}, {"E5EDT", "TZ="}, {"EST+EDT", "TZ="}, {"<ab>5", "TZ="},
        {"<!ab>5EDT", "TZ="}};
    // clang-format on
    for (const auto& [tz, expected] : changed) {
        EXPECT_EQ(Setting(tz), expected) << tz;
    }
    // Read alike by both: a name without a digit or sign, a rule with dates, a path, ...
    // clang-format off
    for (const char* tz : {"Europe/Paris", "../zoneinfo/EST5EDT", "Europe/Nowhere-1",
             "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT4,M3.2.0,M11.1.0", "EST5EDT4x", "EST5", "EST5ED",
             "EST5ED{", "EST5ED[", "EST:EDT", "EST5<EDT", "<EST5EDT", "ESTEDT", "EST5EDT+", "<a+1>5",
             "/usr/share/zoneinfo/EST5EDT", ":/usr/share/zoneinfo/EST5EDT", ":NZ-CHAT", ":", "", "-5",
             "1ABC5DEF", "<abc!5EDT"}) {
        // clang-format on
        EXPECT_EQ(Setting(tz), "") << tz;
    }
    // 255 bytes at most.
    const std::string longest = std::string(251, 'A') + "5EDT";
    EXPECT_EQ(Setting(longest), "TZ=" + longest + ",M3.2.0,M11.1.0");
    EXPECT_EQ(Setting(longest + "6"), "");
}

}  // namespace
