// Text that the user pastes or drops into an amount, date or day-count field,
// brought into the field's own form. Figures copied from a spreadsheet, a web
// page or a bank statement come with grouping, currency signs, full-width
// characters and line breaks; these rules take what can be read in only one
// way and refuse everything else with a reason, never guessing a value.
//
// Common to all three kinds:
// - The input is UTF-8. Text that is not valid UTF-8 is refused.
// - Blanks around the value are dropped: space, tab, CR, LF, U+00A0 no-break
//   space and U+3000 ideographic space (a spreadsheet cell comes with "\r\n").
// - Full-width digits and punctuation (U+FF01..U+FF5E) are read as the ASCII
//   characters they stand for: "１２，３４５．６７" is "12,345.67". A text may
//   mix full-width and ASCII forms of the same character.
#pragma once

#include "result.h"

#include <string>
#include <string_view>

namespace orvandel::calc {

enum class paste_error {
    empty,               // nothing but blanks, or no text at all
    amount_unrecognised, // not an amount: letters, "1e5", "12.34.56", "+12", bad UTF-8
    amount_negative,     // a readable amount with "-", "−" or brackets: "-12", "(12.00)"
    amount_bad_grouping, // "," not between groups of three integer digits: "1,2345"
    amount_too_many_integer_digits, // more than 12 integer digits once leading zeros are dropped
    amount_too_many_decimals,       // more than 2 decimals, even zeros: "1.005", "1.500"
    date_unrecognised,              // not a date: words, "24-3-1", "2024-3", "2024-3-1 0:00"
    date_not_year_first,            // the four-digit year comes last: "3/1/2024", "01.03.2024"
    date_mixed_separators,          // two different separators: "2024/3-1"
    date_year_out_of_range,         // a year outside 0001..9999: "0000-01-01", "10000-1-1"
    date_no_such_day,          // month or day that the calendar lacks: "2023-02-29", "2024-13-1"
    day_count_unrecognised,    // anything but digits: "-5", "5.0", "1,000", "30天"
    day_count_too_many_digits, // seven or more digits, leading zeros included
};

// A short reason in Chinese for the user, shown at the field ("没有这一天").
[[nodiscard]] std::string_view paste_error_text(paste_error error);

// An amount as the amount field holds it: integer digits without leading
// zeros, ".", exactly two decimals ("12345.67", "100.00", ".50", ".00").
// Takes the digits with an optional "." and one or two decimals, optionally
// grouped by "," in threes in the integer part ("12,345.67"; the first group
// has one to three digits and does not start with 0), optionally preceded by
// "¥" or "￥" and followed by "元", each with or without blanks in between.
// "5." and ".5" are read as the amount field reads them (5.00, .50).
[[nodiscard]] result<std::string, paste_error> normalise_pasted_amount(std::string_view text);

// A date as "yyyy-mm-dd". Takes a four-digit year first, then the month and
// the day of one or two digits each, separated by "-", "/" or "." (the same
// one twice), or written "yyyy年m月d日"; also exactly eight digits "yyyymmdd".
// The day must exist in the years 0001..9999.
[[nodiscard]] result<std::string, paste_error> normalise_pasted_date(std::string_view text);

// A day count as the day-count field holds it: one to six digits exactly as
// given, leading zeros included ("030" stays "030").
[[nodiscard]] result<std::string, paste_error> normalise_pasted_day_count(std::string_view text);

} // namespace orvandel::calc
