// Exact sums of decimal texts of any length, for the totals a workbook
// stores with its SUM formulas.
#pragma once

#include <string>
#include <string_view>

namespace orvandel::sheet::xlsx {

// a + b exactly, for plain decimals ("-"? digits ("." digits)?): as many
// decimals as the longer has, no leading zeros, no "-0".
[[nodiscard]] std::string exact_sum(std::string_view a, std::string_view b);

} // namespace orvandel::sheet::xlsx
