// The texts in which the form and the command line take and show numbers.
// Shared by the window and the command-line calculator so both read and write
// figures in exactly the same way.
#pragma once

#include "date.h"
#include "money.h"
#include "result.h"

#include <string>
#include <string_view>

namespace orvandel::calc {

enum class number_text_error {
    empty,                   // no text at all (the caller decides whether that means zero)
    not_a_number,            // anything but digits with at most one "." and at least one digit
    too_many_integer_digits, // more integer digits than the field admits
    too_many_decimals,       // more decimals than the field admits
};

// Plain decimal text: digits, optionally "." and more digits; at least one
// digit. No sign, exponent, grouping or blanks. ".00" is 0, ".50" one half,
// "030" is 30, "5." is 5. The scale is the number of decimals typed.
[[nodiscard]] result<money, number_text_error>
parse_decimal_text(std::string_view text, int max_integer_digits, int max_decimals);

// An amount of tax: at most twelve integer digits and two decimals.
inline constexpr int amount_integer_digits = 12;
inline constexpr int amount_decimals = 2;
[[nodiscard]] result<money, number_text_error> parse_amount_text(std::string_view text);

// A typed day count: one to six digits and nothing else, leading zeros
// allowed ("030" is 30; "5." is not a day count).
inline constexpr int day_count_digits = 6;
inline constexpr day_count max_typed_day_count = 999999; // the most six digits hold
[[nodiscard]] result<day_count, number_text_error> parse_day_count_text(std::string_view text);

// Default text of a whole number: its digits, "30", "0", "-4".
[[nodiscard]] std::string default_text(day_count value);

// The pictures "############.00" and "#########.00": integer digits without
// grouping and without leading zeros, ".", exactly two decimals. Zero reads
// ".00" and 0.4 reads ".40". More integer digits than the picture has places
// are shown in full. A value with more than two decimals is rounded half away
// from zero; one that cannot be shown exactly gives "#".
[[nodiscard]] std::string money_picture_text(const money& value);

// A figure as the sheets of many items show it: two decimals, the integer
// digits grouped by thousands ("12,345.67", "0.00", "-1,234.50"). More
// decimals are rounded as round_money rounds; "#" when that cannot be done.
[[nodiscard]] std::string grouped_text(const money& value);

// What a total shows in place of a figure once it is out of range (see
// money_total.h).
inline constexpr std::string_view out_of_range_text = "超出范围";

// The picture "0": a whole number with at least one digit.
[[nodiscard]] std::string count_picture_text(day_count value);

} // namespace orvandel::calc
