// A row's 缴款期限 and the filing calendar: the row's 税款所属期 fills an empty
// 缴款期限 and checks a typed one. One rule for the batch, the worksheet and
// the audit sheet, applied by evaluate_row (row.h).
//
// - The period stands for the 缴款期限 in a row by 缴款期限/实际缴款日期, and in
//   a row that gives no other pair (no 起始日期/终止日期, no day counts): there
//   it is read. A row by the form's dates or by day counts keeps it as a label.
// - 缴款期限 empty: the filing calendar's date for the period (calc/
//   filing_calendar.h) is the deadline, and the row's note names its source.
//   A period that cannot be read, or that falls due in a year without
//   calendar data, leaves the row without figures and says why: nothing is
//   guessed.
// - 缴款期限 typed: it always stands. The calendar's date is compared with it;
//   the note names the source when they agree and both dates when they do
//   not. A period that cannot be read is still an error (a date pasted one
//   column too far left lands there); a year without data leaves nothing to
//   compare, and the typed date stands without a note.
//
// Worked examples (published 2024 calendar: May the 22nd):
//   2024-04, 缴款期限 empty      -> 2024-05-22, "缴款期限：《…2024年度申报纳税期限的通知》"
//   2024-04, 缴款期限 2024-05-22 -> the same note
//   2024-04, 缴款期限 2024-05-20 -> 2024-05-20, "缴款期限2024-05-20与申报日历的2024-05-22不同…"
//   2026-12, 缴款期限 empty      -> no figures: due in 2027, a year without data
//   2026-12, 缴款期限 2027-01-15 -> 2027-01-15, no note
#pragma once

#include "sheet/columns.h"

#include "calc/date.h"
#include "calc/filing_calendar.h"
#include "calc/tax_period.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvandel::sheet {

enum class deadline_origin : unsigned char {
    typed,     // the period is not read: the 缴款期限 as given
    filled,    // 缴款期限 empty: the calendar's date
    confirmed, // typed, and the calendar's date is the same
    differs,   // typed, and the calendar's date is another; the typed one stands
    unchecked, // typed; the period falls due in a year without calendar data
};

struct row_deadline {
    deadline_origin origin = deadline_origin::typed;
    calc::tax_period period{};        // the period read, unless typed
    calc::filing_deadline calendar{}; // filled, confirmed or differs: the calendar's date
    calc::date given{};               // confirmed, differs or unchecked: the typed date
};

enum class period_problem : unsigned char {
    none,
    not_a_period,   // none of the four forms of a tax period
    no_such_period, // month 13, quarter 5, year 0000
    no_data,        // 缴款期限 empty, and its year has no calendar data
};

// Reads `period` (not empty) for a row whose 缴款期限 is `given` (nothing
// when it is empty) into `out`.
[[nodiscard]] period_problem read_row_deadline(std::string_view period,
                                               const std::optional<calc::date>& given,
                                               row_deadline& out);

// Whether a computed row's note says anything of its deadline.
[[nodiscard]] constexpr bool has_deadline_note(const row_deadline& d) {
    return d.origin == deadline_origin::filled || d.origin == deadline_origin::confirmed ||
           d.origin == deadline_origin::differs;
}

// The note of the deadline, in `lang`: its source (filled or confirmed), both
// dates (differs), nothing otherwise.
void append_deadline_note(std::string& out, const row_deadline& d, language lang);

// The year a period falls due in, as a problem of no_data names it.
[[nodiscard]] int due_year(const row_deadline& d);

} // namespace orvandel::sheet
