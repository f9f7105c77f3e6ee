// One item of a sheet: reading its cells, computing its surcharge, and what is
// wrong with it when it has no figures. The command line's batch and the
// worksheet both go through here, so the same cells give the same results and
// the same reasons in both.
//
// A row gives its period by exactly one of three pairs:
// - due_date/pay_date (缴款期限/实际缴款日期): surcharge days run from the day
//   after the due date through the day paid, both included (实施细则第七十五条;
//   国税函〔1998〕291号). For the engine: start = due + 1 day, end = pay + 1 day.
//   Paid on or before the due date: 0 days and no surcharge, noted "未逾期";
//   this is not an error. A missing pay date takes the sheet's payment date
//   when it has one (the worksheet's 缴款日期), and is missing otherwise.
// - start_date/end_date (起始日期/终止日期): the form's meaning, the start day
//   counted and the end day not.
// - days_before/days_after: the two day counts typed.
// A row is by dates when any date cell is given, by day counts otherwise. A
// row that gives cells of two pairs is an error that says so.
//
// A 税款所属期 fills an empty 缴款期限 from the filing calendar and checks a
// typed one (row_deadline.h); a row that gives a period and no other pair is
// a row by 缴款期限/实际缴款日期.
#pragma once

#include "sheet/columns.h"
#include "sheet/row_deadline.h"

#include "calc/date.h"
#include "calc/fee.h"
#include "calc/money.h"
#include "calc/result.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvandel::sheet {

enum class period_basis { due_and_paid, start_and_end, day_counts };

// A set of the three pairs, one bit each (pair_bit).
using pair_set = unsigned char;
[[nodiscard]] constexpr pair_set pair_bit(period_basis basis) {
    return static_cast<pair_set>(1U << static_cast<unsigned>(basis));
}
inline constexpr pair_set every_pair = 7;

// The texts of a row's input cells; empty where the row or the sheet has none.
struct row_texts {
    // Each has an initialiser, so that `{.amount = "1", .days_after = "3"}`
    // leaves the others empty without a warning.
    std::string_view amount{}, due_date{}, pay_date{}, start_date{}, end_date{}, days_before{},
        days_after{}, tax_period{};
    // A debt paid in parts (debts.h): the debt a row belongs to, a payment,
    // and on the debt's row its stop date and whether its totals are capped.
    std::string_view item_id{}, paid_amount{}, stop_date{}, apply_cap{};
    // The pairs a row of this sheet may give: those named when a row gives
    // none ("start_date/end_date or days_before/days_after: missing").
    pair_set offered = every_pair;
    // What reading the file found about the row beyond its cells, in words
    // (reader.h), written first in its note. A note that blocks leaves the
    // row without figures: a row cut short or as wide as no header.
    std::string_view reading_note{};
    bool reading_note_blocks = false;
};

// Where evaluate_row takes the text of each input column but the item (which
// it does not read): nothing for the item and the result columns.
[[nodiscard]] constexpr std::string_view row_texts::*text_of(column c) {
    switch (c) {
    case column::amount:
        return &row_texts::amount;
    case column::tax_period:
        return &row_texts::tax_period;
    case column::due_date:
        return &row_texts::due_date;
    case column::pay_date:
        return &row_texts::pay_date;
    case column::start_date:
        return &row_texts::start_date;
    case column::end_date:
        return &row_texts::end_date;
    case column::days_before:
        return &row_texts::days_before;
    case column::days_after:
        return &row_texts::days_after;
    case column::item_id:
        return &row_texts::item_id;
    case column::paid_amount:
        return &row_texts::paid_amount;
    case column::stop_date:
        return &row_texts::stop_date;
    case column::apply_cap:
        return &row_texts::apply_cap;
    default:
        return nullptr;
    }
}

// What is wrong with one input, as data; words come from describe().
enum class problem : unsigned char {
    missing,                 // the cell is empty
    not_a_number,            // an amount that is not digits with at most one point
    too_many_integer_digits, // an amount of more than 12 integer digits
    too_many_decimals,       // an amount of more than 2 decimals
    not_a_whole_number,      // a day count that is not digits only
    too_many_digits,         // a day count of more than 6 digits
    not_a_date,              // not "yyyy-mm-dd"
    no_such_day,             // "yyyy-mm-dd" that names no calendar day
    later_than_end,          // start_date after end_date
    two_pairs_given,         // cells of more than one pair (field: the pairs given)
    no_period,               // no date and no day count at all
    out_of_range,            // the surcharge is too large to compute exactly
    not_a_tax_period,        // a 税款所属期 in none of its four forms
    no_such_period,          // a 税款所属期 of month 13, quarter 5 or year 0000
    no_calendar_data,        // 缴款期限 empty, and the period falls due in a year without data
    // Debts paid in parts (debts.h):
    needs_item_id,     // a payment, stop date or cap on a row without 编号
    not_above_zero,    // a payment of zero
    not_yes_or_no,     // apply_cap other than 是/否, yes/no, 1/0
    not_in_a_debt,     // 起始日期/终止日期 or day counts on a row with 编号
    differs_from_debt, // a payment row's 缴款期限 other than its debt's
    in_a_debt,         // a row with 编号, computed with its debt and not alone
    before_due_date,   // a stop date before the 缴款期限
};

struct row_problem {
    column field; // the column it concerns (for two_pairs_given: the first pair's)
    problem what;
};

struct row_outcome {
    bool ok = false;
    period_basis basis = period_basis::day_counts;
    // As read, in the engine's terms: by_days, or by_dates with the start day
    // counted and the end day not (due/paid: due + 1 and pay + 1, the start
    // after the end when paid in time).
    calc::late_fee_input input;
    calc::late_fee_result figures;       // when ok
    bool not_overdue = false;            // due/paid, paid on or before the due date
    pair_set pairs_given = 0;            // the pairs of which the row has a cell
    pair_set pairs_offered = every_pair; // row_texts::offered, for describe()
    // Up to four problems, in column order; count says how many.
    std::array<row_problem, 4> problems{};
    std::size_t problem_count = 0;
    // row_texts' reading note, written first in the row's note.
    std::string reading_note;
    // Where the 缴款期限 of a row by 缴款期限/实际缴款日期 comes from.
    row_deadline deadline;
};

// Reading one input cell, as the form's fields read them: an amount of at
// most 12 integer digits and 2 decimals, a day count of 1 to 6 digits, a date
// "yyyy-mm-dd" that names a calendar day. An empty cell is `missing`.
[[nodiscard]] calc::result<calc::money, problem> read_amount(std::string_view text);
[[nodiscard]] calc::result<calc::day_count, problem> read_day_count(std::string_view text);
[[nodiscard]] calc::result<calc::date, problem> read_date(std::string_view text);
// 适用封顶: "是"/"yes"/"1" (any case) is true, "否"/"no"/"0" and an empty cell false.
[[nodiscard]] calc::result<bool, problem> read_yes_no(std::string_view text);

// The words for a problem, without its field: "not a number" / "不是数字".
[[nodiscard]] std::string_view problem_text(problem what, language lang);

// Reads and computes one row. `payment_date` stands in for an empty pay_date
// of a due/paid row.
[[nodiscard]] row_outcome evaluate_row(const row_texts& cells,
                                       const std::optional<calc::date>& payment_date = {});
// The same into `outcome`, which a caller of many rows reuses rather than
// copying a new one in for each.
void evaluate_row_into(const row_texts& cells, row_outcome& outcome,
                       const std::optional<calc::date>& payment_date = {});

// What paying one day later would add to the row's total surcharge: for a
// dated row the total with the pay (end) date a day later minus today's total;
// for a row of day counts, the same with one more day after 2001-05-01.
// Nothing for a row without figures.
[[nodiscard]] std::optional<calc::money> one_more_day(const row_outcome& outcome);

// The note cell of a row: its reading note, then its problems joined
// ("amount: not a number; days_after: missing" / "应缴税款金额：不是数字；…"),
// or for a computed row "未逾期" / "" when it was paid in time, then where its
// 缴款期限 comes from when a 税款所属期 filled or checked it; empty for any
// other computed row without a reading note.
[[nodiscard]] std::string describe(const row_outcome& outcome, language lang);
// The same appended to `out`, which a caller of many rows reuses.
void append_description(std::string& out, const row_outcome& outcome, language lang);

} // namespace orvandel::sheet
