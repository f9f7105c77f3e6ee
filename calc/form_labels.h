// The fixed texts of the surcharge form, and the two formula lines written
// out with the figures of a calculation. The window and the command-line
// calculator both use these so that what they show reads the same.
#pragma once

#include "money.h"

#include <string>
#include <string_view>

namespace orvandel::calc::form_labels {

inline constexpr std::string_view amount_label = "应缴税款金额=";
inline constexpr std::string_view start_date_label = "滞纳金计算起始日期=";
inline constexpr std::string_view end_date_label = "终止日期=";
inline constexpr std::string_view days_after_entry_label = "或2001年05月01日后滞纳天数：";
inline constexpr std::string_view days_before_entry_label = "2001年04月30日前滞纳天数：";
inline constexpr std::string_view total_days_label = "合计滞纳天数=";
inline constexpr std::string_view days_before_label = "其中：2001年04月30日前滞纳天数=";
inline constexpr std::string_view days_after_label = "2001年05月01日后滞纳天数=";
inline constexpr std::string_view total_fee_label = "合计应加征滞纳金=";
inline constexpr std::string_view fee_before_label = "其中:2001年04月30日前应加征滞纳金=";
inline constexpr std::string_view fee_after_label = "2001年05月01日后应加征滞纳金=";
inline constexpr std::string_view tax_and_fee_label = "税款与滞纳金合计=";

// The formula labels as the form shows them before any calculation.
inline constexpr std::string_view formula_before_plain =
    "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)";
inline constexpr std::string_view formula_after_plain =
    "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)";

// The legal basis of the surcharge, as the form shows it under its heading.
inline constexpr std::string_view legal_basis =
    "按照中华人民共和国税收征收管理法第三十二条规定，纳税人未按照规定期限缴纳税款的，"
    "扣缴义务人未按照规定期限解缴税款的，税务机关除责令限期缴纳外，从滞纳税款之日起，"
    "按日加收滞纳税款万分之五的滞纳金,2001年5月1日起执行，"
    "2001年5月1日以前滞纳金按照千分之二按日加收。";

// Title and text of the message shown when the start date is after the end date.
inline constexpr std::string_view message_title = "提示信息";
inline constexpr std::string_view start_after_end_message = "起始日期应该小于终止日期！";

// "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=" + amount + "*" +
// days + "*0.002=" + fee. `amount_text` and `days_text` are the texts of the
// amount and day-count fields as they stand; the fee is written in its default
// text ("246.91", "0.00").
[[nodiscard]] std::string formula_before(std::string_view amount_text, std::string_view days_text,
                                         const money& fee_before);
// The same for the days from 2001-05-01, with "*0.0005=".
[[nodiscard]] std::string formula_after(std::string_view amount_text, std::string_view days_text,
                                        const money& fee_after);

} // namespace orvandel::calc::form_labels
