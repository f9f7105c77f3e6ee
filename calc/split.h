// Splitting an overdue period at the day the daily surcharge rate changed.
//
// The rule. The overdue days of a period from `start` to `end` are
// start, start + 1, ..., end - 1: the start day is charged, the end day is not
// (the tax is paid on the end day). A day before 2001-05-01 counts in
// days_before, a day from 2001-05-01 on counts in days_after, so
// days_before + days_after == end - start always.
//
// Worked examples (start -> end: before, after):
//   2001-04-21 -> 2001-05-10: 10, 9   (04-21..04-30 and 05-01..05-09)
//   2001-04-20 -> 2001-05-01: 11, 0   (a period that ends on the change day lies wholly before it)
//   2001-05-01 -> 2001-05-02: 0, 1    (a period that starts on the change day lies wholly after it)
//   2001-04-30 -> 2001-05-01: 1, 0
//   2000-02-28 -> 2000-03-01: 2, 0    (the leap day 2000-02-29 is an overdue day)
//   1999-01-01 -> 2002-01-01: 851, 245
//   any day    -> the same day: 0, 0
//
// The law's two dates. The law counts the overdue days of a tax from the day
// after its payment deadline (缴款期限) through the day it was paid (实际缴款日期),
// both included (实施细则第七十五条; 国税函〔1998〕291号). That is the period
// above with start = deadline + 1 day and end = day paid + 1 day, which
// form_day_of gives; law_day_of goes back. Example: deadline 2001-04-20, paid
// 2001-05-09 is start 2001-04-21, end 2001-05-10: 10 and 9 days. Paid on or
// before the deadline, the start is not before the end: no overdue day.
#pragma once

#include "date.h"

namespace orvandel::calc {

// First day charged at rate_after.
inline constexpr date rate_change_date{std::chrono::year{2001}, std::chrono::May,
                                       std::chrono::day{1}};

struct overdue_split {
    day_count days_before = 0;
    day_count days_after = 0;
    friend bool operator==(const overdue_split&, const overdue_split&) = default;
};

// The form's start (end) day for the law's deadline (day paid): one day later.
[[nodiscard]] inline date form_day_of(const date& law_day) {
    return add_days(law_day, 1);
}
// The law's deadline (day paid) for the form's start (end) day: one day earlier.
[[nodiscard]] inline date law_day_of(const date& form_day) {
    return add_days(form_day, -1);
}

// `start` must not be after `end` (the caller checks; see compute_late_fee).
[[nodiscard]] overdue_split split_overdue_days(const date& start, const date& end);
// The same for days already counted from the epoch (a debt's segments, which
// are walked as such).
[[nodiscard]] overdue_split split_overdue_days(std::chrono::sys_days start,
                                               std::chrono::sys_days end);

} // namespace orvandel::calc
