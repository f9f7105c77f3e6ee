// Money: an exact signed decimal, coefficient × 10^-scale. No binary floating
// point is used anywhere between a typed amount and a printed surcharge.
#pragma once

#include "result.h"

#include <cstdint>
#include <string>

namespace orvandel::calc {

// Most decimal places a money value may have.
inline constexpr int max_money_scale = 18;

struct money {
    std::int64_t coefficient = 0;
    int scale = 0; // number of decimal places, 0..max_money_scale

    // Same coefficient and same scale (1.50 and 1.5 differ here; compare
    // texts or rescale first to compare values).
    friend bool operator==(const money&, const money&) = default;
};

// Decimal places of every surcharge.
inline constexpr int money_places = 2;

enum class money_error {
    out_of_range, // the exact value does not fit a 64-bit coefficient at the wanted scale
    bad_scale,    // a scale outside 0..max_money_scale was asked for or given
};

// Rounds to money_places: a remainder of exactly half of the last place goes
// away from zero (0.005 -> 0.01, -0.005 -> -0.01, 0.0049 -> 0.00). A value with
// fewer places is extended exactly (1.5 -> 1.50).
[[nodiscard]] result<money, money_error> round_money(const money& value);

// Exact sum at the larger of the two scales.
[[nodiscard]] result<money, money_error> add_money(const money& a, const money& b);

// Exact product of a day count, an amount and a rate, then rounded to
// money_places as round_money does. The product is formed in 128 bits, so the
// widest amounts (twelve integer digits, two decimals) times any day count the
// calendar allows (a few million) times a rate are exact before rounding.
[[nodiscard]] result<money, money_error> round_product(std::int64_t days, const money& amount,
                                                       const money& rate);

// Plain decimal notation at the value's own scale: "246.91", "0.40", "30",
// "-1.50". No grouping, "." as the decimal point.
[[nodiscard]] std::string default_text(const money& value);

} // namespace orvandel::calc
