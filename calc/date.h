// Calendar dates: Gregorian year, month and day with no time of day, written
// "yyyy-mm-dd" on the form and in files.
#pragma once

#include "result.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvandel::calc {

using date = std::chrono::year_month_day;
using day_count = std::int64_t;

enum class date_text_error {
    empty,       // nothing was given
    bad_form,    // not four digits, "-", two digits, "-", two digits, and nothing else
    no_such_day, // the form is right but names no calendar day (2001-02-29, 2001-13-01, year 0000)
};

// Reads exactly "yyyy-mm-dd" for a real day of the years 0001..9999. Nothing is
// normalised: "2001-5-1", "2001/05/01", " 2001-05-01" and "2001-05-01x" fail.
[[nodiscard]] result<date, date_text_error> parse_date_text(std::string_view text);

// True for a real calendar day of the years 0001..9999: the days the form and
// the files can name, and so the only days the engine computes with.
[[nodiscard]] bool is_calendar_day(const date& d);

// "yyyy-mm-dd" with leading zeros, e.g. "2001-04-21"; nothing for a date that
// is not is_calendar_day (year 12345 or 0000, 2001-02-29), which the form
// cannot show.
[[nodiscard]] std::optional<std::string> format_date_text(const date& d);

// The day `days` after `d` (before it, for a negative count). The result may
// lie outside 0001..9999; is_calendar_day tells.
[[nodiscard]] date add_days(const date& d, day_count days);

// Days from `first` to `second`: second minus first, negative when the second
// is earlier. 2001-05-10 minus 2001-04-20 is 20.
[[nodiscard]] day_count days_between(const date& first, const date& second);

} // namespace orvandel::calc
