// SPDX-FileCopyrightText: 2026 the Merovak authors
// SPDX-License-Identifier: MIT
// A TZ value as the packaged program's C library reads it: a leading ':' is
// dropped, a zone file of that name is read first, then a rule, which without
// switch dates takes the US ones and with a malformed start gives UTC.
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
bool IsRulePart(char c) { return IsDigit(c) || c == '+' || c == '-'; }

// Takes a zone's abbreviation off the front: three letters or more, or three
// or more letters, digits and signs in angle brackets.
bool TakeName(std::string_view& rule) {
    const bool quoted = !rule.empty() && rule[0] == '<';
    std::size_t end = quoted ? 1 : 0;
    while (end < rule.size() && (IsLetter(rule[end]) || (quoted && IsRulePart(rule[end])))) {
        ++end;
    }
    const std::size_t length = quoted ? end - 1 : end;
    if (length < 3 || (quoted && (end == rule.size() || rule[end] != '>'))) {
        return false;
    }
    rule.remove_prefix(quoted ? end + 1 : end);
    return true;
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

// What the static program's C library takes for a rule: a name of any length
// (in angle brackets, anything up to the '>'), then a sign or a digit.
bool StaticReadsAsRule(std::string_view tz) {
    std::size_t length = 0;
    if (!tz.empty() && tz[0] == '<') {
        length = tz.find('>') + 1;  // 0 when there is no '>'
    } else {
        while (length < tz.size() && IsLetter(tz[length])) {
            ++length;
        }
    }
    return length > 0 && length < tz.size() && IsRulePart(tz[length]);
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
    // The packaged program's C library drops a leading ':'; the static one then
    // reads only a zone file, never a rule.
    const bool colon = !tz.empty() && tz[0] == ':';
    tz.remove_prefix(colon ? 1 : 0);
    // Without a digit or a sign, neither reads TZ as a rule (UTC and GMT aside,
    // whose files say the same): both read the zone file, or else give UTC.
    if (std::none_of(tz.begin(), tz.end(), IsRulePart) || tz.size() > LongestZoneText) {
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
    std::string_view rule = tz;
    if (!TakeName(rule) || !TakeOffset(rule)) {
        // Not a rule to the packaged program, so UTC; an empty TZ is UTC to both.
        Join(setting, {"TZ="});
        return !colon && StaticReadsAsRule(tz);
    }
    // A summer-time name and no switch dates: "CET-1CEST", "EST5EDT4".
    if (!rule.empty() && TakeName(rule) && (rule.empty() || (TakeOffset(rule) && rule.empty()))) {
        Join(setting, {"TZ=", tz, USSwitchDates});
        return true;
    }
    Join(setting, {"TZ=", tz});
    return colon;
}
