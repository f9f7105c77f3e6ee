// Writing figures as the command line and the batch write them: counts as
// plain integers, money at two decimals ("246.91", "0.00").
#pragma once

#include "calc/date.h"
#include "calc/money.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orvandel::sheet {

// `value` at exactly two decimals, as every surcharge is written ("0.00").
// Figures of the engine have two already; an amount with fewer is extended.
[[nodiscard]] calc::money at_two_places(const calc::money& value);

// "246.91", "0.00": the default text of a figure at two decimals.
void append_money(std::string& out, const calc::money& value);
// "30", "0".
void append_count(std::string& out, calc::day_count value);

// Bytes write_cents and write_count need free at where they write; their
// texts are shorter ("-92233720368547758.08"), but they store whole words.
inline constexpr std::size_t figure_room = 32;

// Writes the text of append_money for a figure that has two places already
// (value.scale == 2) at `at` and returns the end of the text. The batch
// writes millions of figures this way, without a string in between.
inline char* write_cents(char* at, const calc::money& value);
// Writes the text of append_count at `at` and returns its end.
inline char* write_count(char* at, calc::day_count value);

} // namespace orvandel::sheet

#include "sheet/figure_digits.h"
