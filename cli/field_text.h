// Reading the figures the command line and the batch take, and the words in
// which a wrong one is reported: "<field>: <what is wrong>".
#pragma once

#include "calc/date.h"
#include "calc/fee.h"
#include "calc/money.h"
#include "calc/number_text.h"
#include "calc/result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orvandel::cli {

// What is wrong with a field's text, in a few words ("not a number").
using field_problem = std::string_view;

// An amount: digits with an optional point, at most twelve integer digits and
// two decimals, no sign, exponent or grouping.
[[nodiscard]] calc::result<calc::money, field_problem> read_amount(std::string_view text);

// A day count: one to six digits, nothing else ("030" is 30).
[[nodiscard]] calc::result<calc::day_count, field_problem> read_day_count(std::string_view text);

// A date written "yyyy-mm-dd" that names a calendar day.
[[nodiscard]] calc::result<calc::date, field_problem> read_date(std::string_view text);

// A refused calculation, told as the input it concerns (a column name, or two
// joined by "/") and what is wrong with it.
struct fee_problem {
    std::string_view field;
    field_problem problem;
};
[[nodiscard]] fee_problem describe(calc::fee_error error);

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

} // namespace orvandel::cli

#include "figure_digits.h"
