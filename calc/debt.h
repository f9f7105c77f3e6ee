// One debt of tax paid in parts: the surcharge of each stretch of days on the
// tax still unpaid, and how each payment is divided between tax and surcharge.
//
// Accrual. The overdue days are the days after the 缴款期限 (due_date). Each
// overdue day accrues on the tax still unpaid at the start of that day, at
// that day's rate (rate_before before 2001-05-01, rate_after from it). A
// payment day is counted on the tax owed before the payment, as the law counts
// a single payment: the days after the 缴款期限 through the day paid, both
// included. The payment lowers the tax from the next day on.
//
// Segments. Every day on which a payment is made ends a segment; the next one
// starts the day after. A segment's surcharge is computed and rounded exactly
// as one calculation of its tax over its days is (compute_late_fee: each side
// of 2001-05-01 rounded to the cent separately, half up), so one payment of
// everything gives the figures of one calculation to the cent.
//   Due 2019-06-15, paid 30000.00 on 2019-08-01 and the rest on 2020-05-01:
//   segment 1 runs 2019-06-16 .. 2019-08-01 (47 days) on the whole tax,
//   segment 2 runs 2019-08-02 .. 2020-05-01 (274 days) on what the first
//   payment left unpaid. The days 2019-08-01 and 2020-05-01 both accrue.
// Several payments on one day end one segment; they are divided in the order
// given, each against what the one before it left.
// Nothing accrues once the tax is paid in full; a segment is made only while
// tax is owed.
//
// The end of accrual.
// - stop_date (停止计算日期, e.g. the day a bankruptcy petition is accepted):
//   that day still accrues, no later day does. A segment that reaches it ends
//   on it and says so (segment_end::stop_date, also when a payment falls on
//   that day). Payments after the stop date are divided by the rule of their
//   own day, against the tax owed and the surcharge frozen at the stop date.
//   A stop date on the 缴款期限 leaves nothing to accrue; one before it is an
//   error.
// - as_of: tax still owed after the last payment accrues through this day,
//   included (as if paid on it; the worksheet's 缴款日期). It is only consulted
//   when tax is still owed after the last payment: then it must not lie before
//   that payment's day, and without it the stop date ends accrual; with
//   neither there is no end, and that is an error (the engine never reads the
//   clock). An as_of on or before the 缴款期限 leaves nothing to accrue.
//
// Dividing a payment P, with T the tax and S the surcharge still unpaid (S
// includes the segment that ended on the payment day):
// - Paid on or before the 缴款期限: all to the tax; nothing has accrued.
//     Due 2019-06-15, 100000.00 owed, 40000.00 paid on 2019-06-15: 40000.00
//     to the tax, 60000.00 owed from 2019-06-16 on.
// - Paid on or after 2020-03-01: tax first, then surcharge (先税后滞纳金).
// - Paid after the 缴款期限 and before 2020-03-01: in proportion (配比):
//   to the tax round(P × T / (T + S)) to the cent, half up; the rest to the
//   surcharge. A payment that covers T + S clears both.
//     T 100000.00, S 2350.00, P 30000.00: 3000000000/102350 = 29311.187...,
//     so 29311.19 to the tax and 688.81 to the surcharge.
// - Whatever exceeds T + S is excess (多缴), shown and never dropped.
//
// The cap: capped_total_fee is min(total_fee, tax), the figure under 行政强制法
// 第四十五条. It is shown beside the total and changes no allocation; which of
// the two a report carries is the caller's choice.
#pragma once

#include "date.h"
#include "money.h"
#include "result.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

namespace orvandel::calc {

// First payment day divided tax first (公告2019年第48号).
inline constexpr date tax_first_from{std::chrono::year{2020}, std::chrono::March,
                                     std::chrono::day{1}};

struct debt_payment {
    date day;     // 实际缴款日期
    money amount; // above zero, at most two decimals
};

// Each member has an initialiser, so that `{.tax = …, .due_date = …}` leaves
// the others empty.
struct debt_input {
    money tax{};                          // 应缴税款金额: zero or more, at most two decimals
    date due_date{};                      // 缴款期限
    std::vector<debt_payment> payments{}; // in date order; one day's in the order paid
    std::optional<date> as_of{};          // ends accrual of tax owed after the last payment
    std::optional<date> stop_date{};      // 停止计算日期
};

enum class allocation_rule {
    before_deadline, // paid on or before the 缴款期限: all to the tax
    tax_first,       // paid on or after 2020-03-01: tax first, then surcharge
    proportional,    // paid between the two: 配比
};

// Why a segment ends where it does.
enum class segment_end {
    payment,   // a payment was made on its last day
    stop_date, // its last day is the stop date
    as_of,     // its last day is the as-of date
};

// A stretch of days on one unpaid amount of tax. Money at two places.
struct debt_segment {
    date start; // first day accrued
    date end;   // last day accrued, included
    segment_end ends = segment_end::payment;
    money tax; // unpaid through the stretch
    day_count days_before = 0;
    day_count days_after = 0;
    money fee_before;
    money fee_after;
    money total_fee;
};

// One payment and how it was divided. Money at two places.
struct payment_allocation {
    date day;
    money amount;
    allocation_rule rule = allocation_rule::tax_first;
    money tax_due; // tax unpaid just before the payment (T)
    money fee_due; // surcharge accrued and unpaid just before it (S)
    money to_tax;
    money to_fee;
    money excess;          // beyond tax and surcharge (多缴)
    money tax_outstanding; // tax unpaid after it
    money fee_outstanding; // surcharge accrued through its day and unpaid after it
};

// Money at two places.
struct debt_result {
    money tax;
    money total_fee;        // every segment's surcharge
    money capped_total_fee; // min(total_fee, tax)
    money fee_paid;
    money fee_outstanding; // total_fee - fee_paid
    money tax_outstanding;
    money excess; // of all payments
    std::vector<debt_segment> segments;
    std::vector<payment_allocation> payments; // one for each input payment, in its order
};

enum class debt_error {
    tax_too_many_decimals,     // the tax has more than two decimals
    tax_out_of_range,          // the tax is below zero or above 999999999999.99
    invalid_due_date,          // the 缴款期限 names no calendar day of 0001..9999
    invalid_stop_date,         // the stop date names no calendar day of 0001..9999
    stop_before_due,           // the stop date lies before the 缴款期限
    invalid_as_of,             // the as-of date names no calendar day of 0001..9999
    invalid_payment_date,      // a payment's day names no calendar day of 0001..9999
    payment_too_many_decimals, // a payment has more than two decimals
    payment_not_positive,      // a payment of zero or less
    payment_out_of_range,      // a payment above 999999999999.99
    payment_out_of_order,      // a payment dated before the one given before it
    as_of_before_payment,      // tax is owed after the last payment, and as_of lies before its day
    no_end_of_accrual,         // tax is owed after the last payment, and no as_of or stop date
    out_of_range,              // a sum does not fit exactly (only for huge numbers of payments)
};

struct debt_problem {
    debt_error error = debt_error::out_of_range;
    std::size_t payment = 0; // for invalid_payment_date and payment_*: which payment, from 0
    friend bool operator==(const debt_problem&, const debt_problem&) = default;
};

// All or nothing: on an error no figure is produced.
[[nodiscard]] result<debt_result, debt_problem> compute_debt(const debt_input& input);

} // namespace orvandel::calc
