// A sheet as plain data, between the file formats and the row rules: header
// texts, then rows of typed cells. The workbook reader fills one and the
// workbook writer writes one; neither knows what the columns mean.
#pragma once

#include "calc/date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

enum class cell_kind : unsigned char {
    empty,
    text,    // text: any UTF-8 text
    number,  // text: an exact decimal, digits with an optional "-" and ".", no exponent
    integer, // integer: a whole number (a day count)
    date,    // day: a calendar day
    sum,     // totals row only: the sum of the column's numbers and integers above
};

struct cell {
    cell_kind kind = cell_kind::empty;
    std::string text;
    std::int64_t integer = 0;
    calc::date day{};
    // A number read from a workbook: the decimals its number format shows
    // when it shows a fixed number of them ("0.00", "#,##0.00",
    // "¥#,##0.00;[Red]-¥#,##0.00" give 2, "0" gives 0), else -1. The text
    // keeps the stored number whatever it shows: 864.1969 shown as 864.20
    // is "864.1969" with format_decimals 2.
    std::int8_t format_decimals = -1;

    [[nodiscard]] static cell of_text(std::string value);
    [[nodiscard]] static cell of_number(std::string decimal, std::int8_t format_decimals = -1);
    [[nodiscard]] static cell of_integer(std::int64_t value);
    [[nodiscard]] static cell of_date(calc::date value);
    [[nodiscard]] static cell of_sum();

    // Cells are equal when they hold the same value; how a workbook showed
    // it (format_decimals) is not part of the value.
    friend bool operator==(const cell& a, const cell& b) {
        return a.kind == b.kind && a.text == b.text && a.integer == b.integer && a.day == b.day;
    }
};

struct table {
    std::vector<std::string> header;
    std::vector<std::vector<cell>> rows; // each as wide as the header, or narrower
    // A last row of totals, apart from the rows: its `sum` cells are totals of
    // their columns, its other cells labels.
    std::optional<std::vector<cell>> totals;
};

// The text a cell stands for in a CSV file or a row's input: a number's
// decimal, an integer's digits, a date as "yyyy-mm-dd", nothing for empty and
// sum cells.
[[nodiscard]] std::string cell_text(const cell& c);

// Plain decimal text is what a number cell holds: "-"? digits ("." digits)?.
[[nodiscard]] bool is_decimal_text(std::string_view text);

} // namespace orvandel::sheet
