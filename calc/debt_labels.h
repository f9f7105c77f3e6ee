// The names of the rules that divide a payment of a debt, their legal basis,
// and the other fixed words of a debt paid in parts, so that the command line,
// the batch, the worksheet and the audit sheet all say the same.
#pragma once

#include "debt.h"
#include "law.h"

#include <string_view>

namespace orvandel::calc::debt_labels {

inline constexpr std::string_view tax_first_rule = "先税后滞纳金";
inline constexpr std::string_view tax_first_basis = law::tax_first_source;
inline constexpr std::string_view proportional_rule = "配比";
inline constexpr std::string_view proportional_basis = law::proportional_source;
inline constexpr std::string_view before_deadline_rule = "缴款期限内缴纳";

// The surcharge limited to the tax, beside the uncapped total.
inline constexpr std::string_view capped_total_fee = "按行政强制法第四十五条封顶";
inline constexpr std::string_view stop_date = "停止计算日期";
inline constexpr std::string_view excess = "多缴";

[[nodiscard]] constexpr std::string_view rule_name(allocation_rule rule) {
    switch (rule) {
    case allocation_rule::before_deadline:
        return before_deadline_rule;
    case allocation_rule::proportional:
        return proportional_rule;
    case allocation_rule::tax_first:
        break;
    }
    return tax_first_rule;
}

// The document a rule rests on; nothing for a payment made in time.
[[nodiscard]] constexpr std::string_view rule_basis(allocation_rule rule) {
    switch (rule) {
    case allocation_rule::before_deadline:
        return {};
    case allocation_rule::proportional:
        return proportional_basis;
    case allocation_rule::tax_first:
        break;
    }
    return tax_first_basis;
}

} // namespace orvandel::calc::debt_labels
