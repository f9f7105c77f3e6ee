// The worksheet's totals row: sums of the rounded figures of every computed
// row, so that they always equal the sum of what the rows show, and the
// number of rows left out for errors. Kept up to date as rows change by
// taking a row's share out before the change and putting it back after.
#pragma once

#include "ui/worksheet/row_store.h"

#include "calc/date.h"
#include "calc/money_total.h"
#include "sheet/debts.h"
#include "sheet/row.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvandel::ui::worksheet {

// The figures a totals row adds up, in this order.
enum class summed : unsigned char {
    amount,
    fee_before,
    fee_after,
    total_fee,
    tax_and_fee_total,
    one_more_day,
    // Debts paid in parts: the payments, what they went to, and of each debt
    // (on its row only) what is still owed, what of its surcharge was paid
    // and its capped figure.
    paid_amount,
    to_tax,
    to_fee,
    excess,
    tax_outstanding,
    fee_outstanding,
    fee_paid,
    capped_total_fee,
};
inline constexpr std::size_t summed_count = 14;

// What one row adds to the totals: its figures in cents.
struct row_share {
    enum class kind : unsigned char { blank, computed, left_out };
    kind what = kind::blank;
    std::array<std::optional<std::int64_t>, summed_count> cents{};
    bool capped_debt = false; // the row of a debt whose totals carry the capped figure
};

struct sheet_totals {
    std::array<calc::money_total, summed_count> sums{};
    std::size_t computed = 0;     // rows in the sums
    std::size_t left_out = 0;     // rows with an error, not in the sums
    std::size_t capped_debts = 0; // debts whose capped surcharge is in the sums

    [[nodiscard]] const calc::money_total& operator[](summed s) const {
        return sums[static_cast<std::size_t>(s)];
    }
};

[[nodiscard]] row_share share_of(const sheet::row_outcome& outcome, bool blank);
// The share of the row of `member` of a debt paid in parts. A debt's row
// adds the debt: its tax, its surcharge as its totals carry it (capped or
// not, sheet/debts.h) and what of it is owed; a payment row its payment.
[[nodiscard]] row_share share_of_debt_row(const sheet::debt_outcome& debt, std::size_t member);

void add(sheet_totals& totals, const row_share& share);
void subtract(sheet_totals& totals, const row_share& share);

} // namespace orvandel::ui::worksheet
