// Tax periods (税款所属期): the month or quarter whose tax is declared and
// paid, and the month in which it falls due.
#pragma once

#include "result.h"

#include <chrono>
#include <string>
#include <string_view>

namespace orvandel::calc {

enum class period_length {
    month,
    quarter,
};

struct tax_period {
    std::chrono::year year{1};
    period_length length = period_length::month;
    unsigned number = 1; // the month 1..12, or the quarter 1..4
    friend bool operator==(const tax_period&, const tax_period&) = default;
};

enum class tax_period_error {
    empty,          // nothing was given
    bad_form,       // none of the four forms below: "2024-4", "2024/04", "2024Q", " 2024-04"
    no_such_period, // a right form naming no period: month 00 or 13, quarter 0 or 5, year 0000
};

// Reads a period written in one of four forms:
//   "2024-04"        a month: four-digit year, "-", two-digit month
//   "2024年4月"      a month: year, 年, one or two digits, 月 ("2024年04月" too)
//   "2024Q1"         a quarter: year, Q or q, one digit
//   "2024年第1季度"  a quarter: year, 年第, one digit, 季度
// Nothing is normalised: no blanks, full-width digits or other separators.
[[nodiscard]] result<tax_period, tax_period_error> parse_tax_period(std::string_view text);

// "2024-04" or "2024Q1": the form written to files and JSON.
[[nodiscard]] std::string format_tax_period(const tax_period& period);

// "2024年4月" or "2024年第1季度": the form Chinese sentences use.
[[nodiscard]] std::string chinese_tax_period(const tax_period& period);

// The month the period's tax falls due in: the month after the period ends.
// 2024-04 -> 2024-05, 2024-12 -> 2025-01, 2024Q1 -> 2024-04, 2024Q4 -> 2025-01.
[[nodiscard]] std::chrono::year_month due_month(const tax_period& period);

} // namespace orvandel::calc
