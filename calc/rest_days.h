// Rest days (休息日) in mainland China: the days off of the State Council's
// holiday arrangements, and the Saturdays and Sundays that were not made
// working days (调休). Every other day is a working day.
//
// Known for the years of the table in holidays_data.inc (2004..2026), which
// scripts/generate_holidays.py writes from the npm package chinese-days; for
// any other year nothing is known, and nothing is guessed.
//
// Examples: 2024-02-10 (Saturday, 春节) rest; 2024-02-18 (Sunday, 调休)
// working; 2024-02-19 (Monday) working; 2024-02-24 (Saturday) rest;
// 2003-12-31 and 2027-01-01 unknown.
#pragma once

#include "date.h"

#include <optional>

namespace orvandel::calc {

struct year_range {
    std::chrono::year first;
    std::chrono::year last;
};

// The years whose rest days are known.
[[nodiscard]] year_range rest_day_years();

// Whether `d` is a rest day; nothing for a day outside rest_day_years().
[[nodiscard]] std::optional<bool> is_rest_day(const date& d);

} // namespace orvandel::calc
