// The columns of a sheet of many items: what each holds, and its names in the
// command line's English and in the worksheet's Chinese. A header may use
// either language, in any order; the results are written in the language the
// input's headers were read in.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace orvandel::sheet {

enum class language { english, chinese };

enum class column : unsigned char {
    item,              // 项目 / item: free text naming the item ("增值税 2024年3月")
    amount,            // 应缴税款金额 / amount
    due_date,          // 缴款期限 / due_date: the last day to pay without surcharge
    pay_date,          // 实际缴款日期 / pay_date: the day the tax was paid
    start_date,        // 起始日期 / start_date: the first day counted (the form's meaning)
    end_date,          // 终止日期 / end_date: the day paid, not counted (the form's meaning)
    days_before,       // 2001年04月30日前滞纳天数 / days_before: typed or result
    days_after,        // 2001年05月01日后滞纳天数 / days_after: typed or result
    total_days,        // 合计滞纳天数 / total_days
    fee_before,        // 2001年04月30日前应加征滞纳金 / fee_before
    fee_after,         // 2001年05月01日后应加征滞纳金 / fee_after
    total_fee,         // 合计应加征滞纳金 / total_fee
    tax_and_fee_total, // 税款与滞纳金合计 / tax_and_fee_total
    one_more_day,      // 每多滞纳一日增加 / one_more_day: what paying a day later adds
    note,              // 备注 / error: why a row has no figures, or "未逾期"
};
inline constexpr std::size_t column_count = 15;

// The header text of `c` in `lang`.
[[nodiscard]] std::string_view column_name(column c, language lang);

// The column a header cell names, and the language it is written in; nothing
// for a column the sheet does not know (it is passed through).
struct named_column {
    column role;
    language lang;
};
[[nodiscard]] std::optional<named_column> column_named(std::string_view header);

} // namespace orvandel::sheet
