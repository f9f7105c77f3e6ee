// The filing calendars the State Taxation Administration published: for each
// year, the last day of each month to declare and pay (申报纳税期限) the tax of
// the month or quarter just ended, and the document that says so.
//
// Shipped years: 2018 and 2020..2026. A day later moved by another notice (in
// 2020, February and April) is the day in force, with that notice as its
// source.
#pragma once

#include "date.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orvandel::calc {

struct published_calendar {
    std::chrono::year year;
    std::string_view notice;                // the year's notice
    std::array<std::uint8_t, 12> days;      // the day in force in January..December
    std::array<std::string_view, 12> moved; // the notice that moved a month's day; empty if none
};

struct published_deadline {
    date deadline;
    std::string_view notice; // the document the day comes from
};

// Every shipped calendar, in order of year.
[[nodiscard]] std::span<const published_calendar> published_calendars();

// The published day of `month` and its document; nothing when no calendar of
// that year is shipped.
[[nodiscard]] std::optional<published_deadline>
published_deadline_in(std::chrono::year_month month);

} // namespace orvandel::calc
