// The late-payment surcharge of one overdue amount of tax.
//
// fee_before = round_money(days_before × amount_due × rate_before)
// fee_after  = round_money(days_after  × amount_due × rate_after)
// total_fee  = fee_before + fee_after (the two rounded fees, not rounded again)
// tax_and_fee_total = amount_due + total_fee
//
// Example: 12345.67 due from 2001-04-21 to 2001-05-10 gives 10 and 9 days,
// 246.91 (from 246.91340) and 55.56 (from 55.555515), 302.47 in all and a
// total of tax and surcharge of 12648.14.
#pragma once

#include "date.h"
#include "money.h"
#include "result.h"
#include "split.h"

namespace orvandel::calc {

// Surcharge per overdue day and unit of tax before rate_change_date: 0.002.
inline constexpr money rate_before{2, 3};
// The same from rate_change_date on: 0.0005.
inline constexpr money rate_after{5, 4};

enum class entry_mode {
    by_dates, // the period is given by its start and end dates
    by_days,  // the two day counts are given directly
};

struct late_fee_input {
    money amount_due;
    entry_mode mode = entry_mode::by_dates;
    date start_date;           // by_dates only
    date end_date;             // by_dates only
    day_count days_before = 0; // by_days only
    day_count days_after = 0;  // by_days only
};

struct late_fee_result {
    day_count days_before = 0;
    day_count days_after = 0;
    day_count total_days = 0;
    money fee_before;
    money fee_after;
    money total_fee;
    money tax_and_fee_total;
};

enum class fee_error {
    start_after_end, // by_dates: the start date lies after the end date
    invalid_date,    // by_dates: a date that names no calendar day or lies outside 0001..9999
    negative_days,   // by_days: a day count below zero
    invalid_amount,  // the amount's scale lies outside 0..max_money_scale
    out_of_range,    // a product or sum does not fit exactly (never for what the form admits)
};

// All or nothing: on an error no figure is produced.
[[nodiscard]] result<late_fee_result, fee_error> compute_late_fee(const late_fee_input& input);

} // namespace orvandel::calc
