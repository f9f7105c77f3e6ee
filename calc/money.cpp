#include "money.h"

#include "wide.h"

#include <array>
#include <limits>

namespace orvandel::calc {
namespace {

constexpr std::array<std::uint64_t, 20> powers_of_ten = [] {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) {
        p[i] = p[i - 1] * 10U;
    }
    return p;
}();

using detail::magnitude;

// A signed value from a sign and a magnitude, if it fits 64 bits.
result<money, money_error> to_money(bool negative, detail::u128 m, int scale) {
    constexpr auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (m.hi != 0 || m.lo > limit) {
        return money_error::out_of_range;
    }
    const auto c = static_cast<std::int64_t>(m.lo);
    return money{negative ? -c : c, scale};
}

// Brings |value| × 10^-scale to money_places: exact when scale is smaller,
// otherwise rounded half away from zero on the magnitude. The first dropped
// digit alone decides: 5..9 rounds the magnitude up, 0..4 leaves it.
result<money, money_error> rescale_rounded(bool negative, detail::u128 m, int scale) {
    if (scale < 0) {
        return money_error::bad_scale;
    }
    if (scale <= money_places) {
        const auto up =
            detail::multiply(m, powers_of_ten[static_cast<std::size_t>(money_places - scale)]);
        if (!up) {
            return money_error::out_of_range;
        }
        return to_money(negative, *up, money_places);
    }
    int drop = scale - money_places;
    // Every fee of an amount at two places times a rate at three or four
    // fits 64 bits unless amount and days are both near their widest; the
    // constant divisors let the compiler divide by multiplication.
    if (m.hi == 0 && (drop == 3 || drop == 4)) {
        const std::uint64_t divisor = drop == 3 ? 1000U : 10000U;
        const std::uint64_t q = drop == 3 ? m.lo / 1000U : m.lo / 10000U;
        const std::uint64_t r = m.lo - q * divisor;
        return to_money(negative, {0, q + (r * 2U >= divisor ? 1U : 0U)}, money_places);
    }
    while (drop > 1) {
        const int step = drop - 1 < 9 ? drop - 1 : 9;
        m = detail::divide(
                m, static_cast<std::uint32_t>(powers_of_ten[static_cast<std::size_t>(step)]))
                .value;
        drop -= step;
    }
    const detail::quotient last = detail::divide(m, 10U);
    detail::u128 rounded = last.value;
    if (last.remainder >= 5U) {
        rounded.lo += 1U;
        rounded.hi += rounded.lo == 0U ? 1U : 0U;
    }
    return to_money(negative, rounded, money_places);
}

bool valid_scale(int scale) {
    return scale >= 0 && scale <= max_money_scale;
}

} // namespace

result<money, money_error> round_money(const money& value) {
    if (!valid_scale(value.scale)) {
        return money_error::bad_scale;
    }
    if (value.scale == money_places) {
        return value;
    }
    return rescale_rounded(value.coefficient < 0, {0, magnitude(value.coefficient)}, value.scale);
}

result<money, money_error> add_money(const money& a, const money& b) {
    if (!valid_scale(a.scale) || !valid_scale(b.scale)) {
        return money_error::bad_scale;
    }
    if (a.scale == b.scale) {
        const auto sum = detail::checked_add(a.coefficient, b.coefficient);
        if (!sum) {
            return money_error::out_of_range;
        }
        return money{*sum, a.scale};
    }
    const int scale = a.scale > b.scale ? a.scale : b.scale;
    const auto factor = [scale](const money& m) {
        return static_cast<std::int64_t>(powers_of_ten[static_cast<std::size_t>(scale - m.scale)]);
    };
    const auto ca = detail::checked_multiply(a.coefficient, factor(a));
    const auto cb = detail::checked_multiply(b.coefficient, factor(b));
    const auto sum = ca && cb ? detail::checked_add(*ca, *cb) : std::nullopt;
    if (!sum) {
        return money_error::out_of_range;
    }
    return money{*sum, scale};
}

result<money, money_error> round_product(std::int64_t days, const money& amount,
                                         const money& rate) {
    if (!valid_scale(amount.scale) || !valid_scale(rate.scale)) {
        return money_error::bad_scale;
    }
    const bool negative = ((days < 0) != (amount.coefficient < 0)) != (rate.coefficient < 0);
    const detail::u128 days_times_amount =
        detail::multiply(magnitude(days), magnitude(amount.coefficient));
    const auto product = detail::multiply(days_times_amount, magnitude(rate.coefficient));
    if (!product) {
        return money_error::out_of_range;
    }
    const bool zero = product->hi == 0 && product->lo == 0;
    return rescale_rounded(negative && !zero, *product, amount.scale + rate.scale);
}

std::string default_text(const money& value) {
    std::string digits = std::to_string(magnitude(value.coefficient));
    const auto scale = static_cast<std::size_t>(value.scale < 0 ? 0 : value.scale);
    if (digits.size() <= scale) {
        digits.insert(0, scale + 1 - digits.size(), '0');
    }
    if (scale > 0) {
        digits.insert(digits.size() - scale, 1, '.');
    }
    if (value.coefficient < 0) {
        digits.insert(0, 1, '-');
    }
    return digits;
}

} // namespace orvandel::calc
