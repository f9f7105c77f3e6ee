#include "fee.h"

#include "wide.h"

namespace orvandel::calc {
namespace {

// The amount's scale is checked before any arithmetic, so a money error met
// on the way can only be a figure too wide to hold exactly.
fee_error to_fee_error(money_error) {
    return fee_error::out_of_range;
}

bool valid_scale(const money& value) {
    return value.scale >= 0 && value.scale <= max_money_scale;
}

} // namespace

result<late_fee_result, fee_error> compute_late_fee(const late_fee_input& input) {
    late_fee_result r;
    if (!valid_scale(input.amount_due)) {
        return fee_error::invalid_amount;
    }
    if (input.mode == entry_mode::by_days) {
        if (input.days_before < 0 || input.days_after < 0) {
            return fee_error::negative_days;
        }
        r.days_before = input.days_before;
        r.days_after = input.days_after;
    } else {
        if (!is_calendar_day(input.start_date) || !is_calendar_day(input.end_date)) {
            return fee_error::invalid_date;
        }
        if (input.start_date > input.end_date) {
            return fee_error::start_after_end;
        }
        const overdue_split split = split_overdue_days(input.start_date, input.end_date);
        r.days_before = split.days_before;
        r.days_after = split.days_after;
    }
    const auto total_days = detail::checked_add(r.days_before, r.days_after);
    if (!total_days) {
        return fee_error::out_of_range;
    }
    r.total_days = *total_days;

    // No day at a rate, no surcharge at it: most periods lie on one side of
    // 2001-05-01, and debts paid in parts compute a period for every payment.
    const auto fee_at = [&](day_count days, const money& rate) -> result<money, money_error> {
        if (days == 0) {
            return money{0, money_places};
        }
        return round_product(days, input.amount_due, rate);
    };
    const auto fee_before = fee_at(r.days_before, rate_before);
    const auto fee_after = fee_at(r.days_after, rate_after);
    if (!fee_before || !fee_after) {
        return to_fee_error(!fee_before ? fee_before.error() : fee_after.error());
    }
    r.fee_before = *fee_before;
    r.fee_after = *fee_after;

    const auto total_fee = add_money(r.fee_before, r.fee_after);
    if (!total_fee) {
        return to_fee_error(total_fee.error());
    }
    r.total_fee = *total_fee;
    const auto grand_total = add_money(input.amount_due, r.total_fee);
    if (!grand_total) {
        return to_fee_error(grand_total.error());
    }
    // The total of tax and surcharge carries the surcharge's two places; an
    // amount due has at most two, so this only ever extends "12" to "12.00".
    const auto shown_total = round_money(*grand_total);
    if (!shown_total) {
        return to_fee_error(shown_total.error());
    }
    r.tax_and_fee_total = *shown_total;
    return r;
}

} // namespace orvandel::calc
