#include "ui/worksheet/sheet_totals.h"

#include "calc/wide.h"

namespace orvandel::ui::worksheet {

namespace {

using calc::detail::checked_add;

// a + sign × b into `sum`; false when it does not fit.
bool accumulate(std::int64_t& sum, std::int64_t value, int sign) {
    const auto next = checked_add(sum, sign > 0 ? value : -value);
    if (!next) {
        return false;
    }
    sum = *next;
    return true;
}

void apply(sheet_totals& totals, const row_share& share, int sign) {
    switch (share.what) {
    case row_share::kind::blank:
        return;
    case row_share::kind::left_out:
        totals.left_out = sign > 0 ? totals.left_out + 1 : totals.left_out - 1;
        return;
    case row_share::kind::computed:
        break;
    }
    totals.computed = sign > 0 ? totals.computed + 1 : totals.computed - 1;
    money_sums& sums = totals.cents;
    const money_sums& row = share.cents;
    const bool fits = accumulate(sums.amount, row.amount, sign) &&
                      accumulate(sums.fee_before, row.fee_before, sign) &&
                      accumulate(sums.fee_after, row.fee_after, sign) &&
                      accumulate(sums.total_fee, row.total_fee, sign) &&
                      accumulate(sums.tax_and_fee_total, row.tax_and_fee_total, sign) &&
                      accumulate(sums.one_more_day, row.one_more_day, sign);
    if (!fits) {
        totals.overflow = true;
    }
}

} // namespace

std::optional<std::int64_t> cents(const calc::money& value) {
    if (value.scale < 0 || value.scale > 2) {
        return std::nullopt;
    }
    std::int64_t coefficient = value.coefficient;
    for (int scale = value.scale; scale < 2; ++scale) {
        const auto scaled = calc::detail::checked_multiply(coefficient, 10);
        if (!scaled) {
            return std::nullopt;
        }
        coefficient = *scaled;
    }
    return coefficient;
}

sheet::row_outcome evaluate(const row_store& rows, std::size_t row,
                            const std::optional<calc::date>& payment_date) {
    return sheet::evaluate_row(rows.row_texts(row), payment_date);
}

row_share share_of(const sheet::row_outcome& outcome, bool blank) {
    row_share share;
    if (blank) {
        return share;
    }
    if (!outcome.ok) {
        share.what = row_share::kind::left_out;
        return share;
    }
    const auto amount = cents(outcome.input.amount_due);
    const auto before = cents(outcome.figures.fee_before);
    const auto after = cents(outcome.figures.fee_after);
    const auto total = cents(outcome.figures.total_fee);
    const auto with_tax = cents(outcome.figures.tax_and_fee_total);
    const auto more = sheet::one_more_day(outcome);
    const auto more_cents = more ? cents(*more) : std::optional<std::int64_t>{0};
    if (!amount || !before || !after || !total || !with_tax || !more_cents) {
        share.what = row_share::kind::left_out;
        return share;
    }
    share.what = row_share::kind::computed;
    share.cents = {*amount, *before, *after, *total, *with_tax, *more_cents};
    return share;
}

row_share share_of(const row_store& rows, std::size_t row,
                   const std::optional<calc::date>& payment_date) {
    if (rows.blank(row)) {
        return {};
    }
    return share_of(evaluate(rows, row, payment_date), false);
}

void add(sheet_totals& totals, const row_share& share) {
    apply(totals, share, 1);
}

void subtract(sheet_totals& totals, const row_share& share) {
    apply(totals, share, -1);
}

} // namespace orvandel::ui::worksheet
