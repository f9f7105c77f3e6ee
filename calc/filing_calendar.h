// The payment deadline (缴款期限) of a tax period, and where it comes from.
//
// The tax of a month or a quarter is due in the month after the period ends
// (tax_period.h: due_month). Which day of that month:
//
// 1. Published calendars win. When the State Taxation Administration's
//    calendar of that year is shipped (published_calendars.h), its day is
//    the deadline and its notice the source.
//
// 2. Otherwise the deadline is derived from the rest days (rest_days.h) and
//    labelled 推算:
//    - The base day is the 15th for a deadline in 2009 or later (增值税暂行
//      条例 as revised in 2008, art. 23, in force from 2009-01-01), the 10th
//      for one in 2008 or earlier. It is the due month's year that decides:
//      2008-12 (due 2009-01) has the 15th.
//    - N is the number of rest days from the 1st to the base day, both
//      included, that lie in a run of three or more consecutive rest days
//      within that stretch (实施细则第一百零九条: three or more consecutive
//      days off in the period extend it by their number). Only the days inside
//      the stretch count: of a holiday that goes on past the base day, the
//      days up to the base day; of one that began in the month before, the
//      days from the 1st. An ordinary weekend, two days, adds nothing.
//    - The calendar rule: the base day plus N days, then forward to the first
//      working day (if that day is a rest day).
//    - The working-day rule: the N-th working day after the base day; with
//      N = 0, the base day itself, or the first working day after it when it
//      is a rest day.
//    A deadline in 2017 or earlier is derived by the calendar rule, one in
//    2018 or later by the working-day rule. When the other rule gives another
//    day, that day is kept as the alternative, so that the user can take the
//    one their local bureau published.
//
// 3. No data, no guess. A deadline in a year with neither a published
//    calendar nor rest days (before 2004, after 2026) is not given: the user
//    types it.
//
// Worked examples (due month: rest days in the stretch; N; calendar rule;
// working-day rule):
//   2015-10: 1..7 off (国庆); N = 7; 15 + 7 = 22 (Thursday);
//            working days after Thursday the 15th: 16, 19, 20, 21, 22, 23, 26.
//            Derived by the calendar rule: 2015-10-22, alternative 2015-10-26.
//   2019-02: 2 and 3 worked (调休), 4..10 off (春节); N = 7; 22 (Friday);
//            working days after the 15th: 18..22, 25, 26.
//            Derived by the working-day rule: 2019-02-26, alternative 2019-02-22.
//   2019-05: 1..4 off, 5 worked; N = 4; 19 is a Sunday, so 20;
//            working days after Wednesday the 15th: 16, 17, 20, 21 -> 21.
//   2024-02: 10..17 off, of which 10..15 in the stretch; N = 6; 21;
//            working days after the 15th (a rest day): 18 (Sunday, 调休), 19..23 -> 23.
//            The published day, 23, is the working-day rule's.
//   2026-02: 14 worked (调休), 15..23 off; only the 15th lies in the stretch,
//            a run of one: N = 0; both rules: the first working day from the
//            15th, the 24th (published: 24).
//   2008-10: base day the 10th; 9-29..10-5 off (国庆), 1..5 in the stretch;
//            N = 5; 15 (Wednesday); working days after Friday the 10th: 13..17.
//   2005-02: base day the 10th; 9..15 off (春节), only 9 and 10 in the stretch,
//            a run of two: N = 0; the 10th is a rest day, so both rules give
//            the first working day after the holiday, the 16th.
//   2016-03: no run of three; N = 0; the 15th, a Tuesday, by both rules.
#pragma once

#include "date.h"
#include "result.h"
#include "tax_period.h"

#include <optional>
#include <string_view>

namespace orvandel::calc {

enum class deadline_rule {
    published,   // the day of a published calendar
    calendar,    // derived: the base day plus N days, then the first working day
    working_day, // derived: the N-th working day after the base day
};

// The source of every derived deadline.
inline constexpr std::string_view derived_source = "推算";

// The first year whose base day is the 15th (the 10th before), and the first
// year derived by the working-day rule (the calendar rule before).
inline constexpr std::chrono::year first_base_15_year{2009};
inline constexpr std::chrono::year first_working_day_rule_year{2018};

struct filing_deadline {
    date deadline;
    deadline_rule rule = deadline_rule::published;
    std::string_view source;         // the published notice, or derived_source
    std::optional<date> alternative; // derived only: the other rule's day, when it differs
};

enum class filing_calendar_error {
    no_data, // the deadline falls in a year with neither a published calendar nor rest days
};

// The deadline in the month `due`: the published day, or the derived one.
[[nodiscard]] result<filing_deadline, filing_calendar_error>
deadline_in_month(std::chrono::year_month due);

// The deadline of the tax period: deadline_in_month(due_month(period)).
[[nodiscard]] result<filing_deadline, filing_calendar_error> deadline_of(const tax_period& period);

// A derived deadline with its working: what both rules give, whichever is
// used and whether or not a calendar of that year was published.
struct derived_deadline {
    date base_day;
    int extension_days = 0; // N
    date by_calendar_rule;
    date by_working_day_rule;
};

// The derivation for the month `due`; no_data when a day it needs lies
// outside rest_day_years().
[[nodiscard]] result<derived_deadline, filing_calendar_error>
derive_deadline(std::chrono::year_month due);

// The rule a derived deadline in the month `due` is given by.
[[nodiscard]] deadline_rule derived_rule_for(std::chrono::year_month due);

} // namespace orvandel::calc
