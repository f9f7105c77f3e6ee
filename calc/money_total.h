// Totals of figures to the cent: the amounts, surcharges and sums of a sheet
// of many items. A total is exact or it is none: once it would no longer fit
// (past 92,233,720,368,547,758.07) it is out of range for good and is shown
// as such, never as a figure that is not the sum.
#pragma once

#include "money.h"

#include <cstdint>
#include <optional>

namespace orvandel::calc {

// A figure in cents: nothing for one of more than two decimals (or a scale
// outside 0..max_money_scale) or too large for 64 bits of cents.
[[nodiscard]] std::optional<std::int64_t> to_cents(const money& value);

class money_total {
public:
    // Adds (takes away) a figure of at most two decimals. A figure of more
    // decimals, or a sum that no longer fits, puts the total out of range.
    void add(const money& value) { add_cents(to_cents(value), false); }
    void subtract(const money& value) { add_cents(to_cents(value), true); }
    void add_cents(std::optional<std::int64_t> cents, bool negate = false);

    // The total at two decimals, or nothing once it is out of range.
    [[nodiscard]] std::optional<money> value() const;
    [[nodiscard]] bool out_of_range() const { return out_of_range_; }

private:
    std::int64_t cents_ = 0;
    bool out_of_range_ = false;
};

} // namespace orvandel::calc
