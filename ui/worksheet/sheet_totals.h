// The worksheet's totals row: sums of the rounded figures of every computed
// row, so that they always equal the sum of what the rows show, and the
// number of rows left out for errors. Kept up to date as rows change by
// taking a row's share out before the change and putting it back after.
#pragma once

#include "ui/worksheet/row_store.h"

#include "calc/date.h"
#include "sheet/row.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvandel::ui::worksheet {

// Sums in cents (every figure has two decimals).
struct money_sums {
    std::int64_t amount = 0;
    std::int64_t fee_before = 0;
    std::int64_t fee_after = 0;
    std::int64_t total_fee = 0;
    std::int64_t tax_and_fee_total = 0;
    std::int64_t one_more_day = 0;
};

// What one row adds to the totals.
struct row_share {
    enum class kind : unsigned char { blank, computed, left_out };
    kind what = kind::blank;
    money_sums cents;
};

struct sheet_totals {
    money_sums cents;
    std::size_t computed = 0; // rows in the sums
    std::size_t left_out = 0; // rows with an error, not in the sums
    // A sum went past what 64 bits of cents hold; the sums are then not shown.
    bool overflow = false;
};

// The row rules applied to row `row` of `rows`, with `payment_date` for an
// empty 实际缴款日期.
[[nodiscard]] sheet::row_outcome evaluate(const row_store& rows, std::size_t row,
                                          const std::optional<calc::date>& payment_date);

[[nodiscard]] row_share share_of(const row_store& rows, std::size_t row,
                                 const std::optional<calc::date>& payment_date);
[[nodiscard]] row_share share_of(const sheet::row_outcome& outcome, bool blank);

void add(sheet_totals& totals, const row_share& share);
void subtract(sheet_totals& totals, const row_share& share);

// A figure in cents, or nothing for one with more than two decimals or too large.
[[nodiscard]] std::optional<std::int64_t> cents(const calc::money& value);

} // namespace orvandel::ui::worksheet
