// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// A TZ value as the packaged program's C library reads it: a zone file of that
// name first, then a rule, which without switch dates takes the US ones.
#include "zone_setting.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr std::size_t LongestZoneText = 255;
// Where zone files are looked for, in this order.
constexpr std::string_view ZoneFolders[] = {"/usr/share/zoneinfo/", "/share/zoneinfo/",
                                            "/etc/zoneinfo/"};
// The second Sunday of March to the first Sunday of November, at 02:00.
constexpr std::string_view USSwitchDates = ",M3.2.0,M11.1.0";

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Takes a zone's abbreviation off the front: three letters or more, or a text
// in angle brackets.
bool TakeName(std::string_view& rule) {
    std::size_t length = 0;
    if (!rule.empty() && rule[0] == '<') {
        length = rule.find('>') + 1;  // 0 when there is no '>'
    } else {
        while (length < rule.size() && IsLetter(rule[length])) {
            ++length;
        }
        length = length < 3 ? 0 : length;
    }
    rule.remove_prefix(length);
    return length > 0;
}

// Takes an offset from UTC off the front: a sign, then hours and perhaps
// minutes and seconds after colons.
bool TakeOffset(std::string_view& rule) {
    if (!rule.empty() && (rule[0] == '+' || rule[0] == '-')) {
        rule.remove_prefix(1);
    }
    if (rule.empty() || !IsDigit(rule[0])) {
        return false;
    }
    while (!rule.empty() && (IsDigit(rule[0]) || rule[0] == ':')) {
        rule.remove_prefix(1);
    }
    return true;
}

// A rule with a summer-time name and no switch dates: "CET-1CEST", "EST5EDT4".
bool LacksSwitchDates(std::string_view rule) {
    return TakeName(rule) && TakeOffset(rule) && TakeName(rule) &&
           (rule.empty() || (TakeOffset(rule) && rule.empty()));
}

// Writes the pieces one after the other, and a NUL; they always fit.
void Join(char* setting, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces) {
        setting = piece.copy(setting, piece.size()) + setting;
    }
    *setting = '\0';
}

}  // namespace

bool ZoneSettingAsPackaged(std::string_view tz, bool (*isFile)(const char* path),
                           char (&setting)[ZoneSettingCapacity]) {
    // Without a digit or a sign, musl never reads TZ as a rule (UTC and GMT
    // aside, whose files say the same): it reads the zone file, as glibc does.
    const auto isRulePart = [](char c) { return IsDigit(c) || c == '+' || c == '-'; };
    if (std::none_of(tz.begin(), tz.end(), isRulePart) || tz.size() > LongestZoneText) {
        return false;
    }
    if (tz.find("..") == std::string_view::npos) {
        for (const std::string_view folder : ZoneFolders) {
            Join(setting, {"TZ=", folder, tz});
            if (isFile(setting + 3)) {
                return true;
            }
        }
    }
    if (LacksSwitchDates(tz)) {
        Join(setting, {"TZ=", tz, USSwitchDates});
        return true;
    }
    return false;
}
