#include "money_total.h"

#include "wide.h"

#include <limits>

namespace orvandel::calc {

std::optional<std::int64_t> to_cents(const money& value) {
    if (value.scale < 0 || value.scale > money_places) {
        return std::nullopt;
    }
    std::int64_t cents = value.coefficient;
    for (int scale = value.scale; scale < money_places; ++scale) {
        if (cents > std::numeric_limits<std::int64_t>::max() / 10 ||
            cents < std::numeric_limits<std::int64_t>::min() / 10) {
            return std::nullopt;
        }
        cents *= 10;
    }
    return cents;
}

void money_total::add_cents(std::optional<std::int64_t> cents, bool negate) {
    if (out_of_range_) {
        return;
    }
    if (!cents || (negate && *cents == std::numeric_limits<std::int64_t>::min())) {
        out_of_range_ = true;
        return;
    }
    const auto sum = detail::checked_add(cents_, negate ? -*cents : *cents);
    if (!sum) {
        out_of_range_ = true;
        return;
    }
    cents_ = *sum;
}

std::optional<money> money_total::value() const {
    if (out_of_range_) {
        return std::nullopt;
    }
    return money{cents_, money_places};
}

} // namespace orvandel::calc
