// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// The zone setting for the static program, against a made-up set of zone files.
#include "zone_setting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool IsMadeUpFile(const char* path) {
    for (const char* file :
         {"/usr/share/zoneinfo/EST5EDT", "/usr/share/zoneinfo/Europe/Paris",
          "/usr/share/zoneinfo/Etc/GMT+5", "/share/zoneinfo/Site-1", "/etc/zoneinfo/Site-1",
          "/etc/zoneinfo/Local+2", "/usr/share/zoneinfo/../zoneinfo/EST5EDT"}) {
        if (std::string(path) == file) {
            return true;
        }
    }
    return false;
}

TEST(ZoneSetting, ReadsZoneFilesFirstAndGivesRulesWithoutDatesTheUSOnes) {
    const std::string dates = ",M3.2.0,M11.1.0";
    const std::string longName(255, 'A');
    struct Case {
        std::string tz;
        std::string setting;  // empty: TZ stays as it is
    };
    const Case cases[] = {
        {"EST5EDT", "TZ=/usr/share/zoneinfo/EST5EDT"},
        {"Etc/GMT+5", "TZ=/usr/share/zoneinfo/Etc/GMT+5"},
        {"Site-1", "TZ=/share/zoneinfo/Site-1"},
        {"Local+2", "TZ=/etc/zoneinfo/Local+2"},
        {"Europe/Paris", ""},  // read as a file by both
        {"CET-1CEST", "TZ=CET-1CEST" + dates},
        {"EST5EDT4", "TZ=EST5EDT4" + dates},
        {"EST+5EDT", "TZ=EST+5EDT" + dates},
        {"NST3:30NDT", "TZ=NST3:30NDT" + dates},
        {"<+0545>-5:45<+0645>-6:45", "TZ=<+0545>-5:45<+0645>-6:45" + dates},
        {longName + "5", ""},
        {longName.substr(4) + "5EDT", "TZ=" + longName.substr(4) + "5EDT" + dates},
        {"../zoneinfo/EST5EDT", ""},
        {"Europe/Nowhere", ""},
        {"CET-1CEST,M3.5.0,M10.5.0/3", ""},
        {"EST5EDT4,M3.2.0,M11.1.0", ""},
        {"EST5EDT4x", ""},
        {"EST5", ""},
        {"ES5EDT", ""},
        {"EST5ED", ""},
        {"EST5<EDT", ""},
        {"<EST5EDT", ""},
        {"ESTEDT", ""},
        {"EST+EDT", ""},
        {"EST5EDT+", ""},
        {"/usr/share/zoneinfo/EST5EDT", ""},
        {":EST5EDT", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        char setting[ZoneSettingCapacity];
        const bool changed = ZoneSettingAsPackaged(c.tz, IsMadeUpFile, setting);
        EXPECT_EQ(changed ? std::string(setting) : "", c.setting) << c.tz;
    }
}

}  // namespace
