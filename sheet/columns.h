// The columns of a sheet of many items, in one table: what each holds, its
// names in the command line's English and the worksheet's Chinese, whether it
// is read from a row or computed, whether a totals row adds it up, and the
// rule its header's tooltip gives. A header may name the columns in either
// language, in any order (reader.h).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvandel::sheet {

enum class language { english, chinese };

enum class column : unsigned char {
    item,       // 项目 / item: free text naming the item ("增值税 2024年3月")
    amount,     // 应缴税款金额 / amount
    tax_period, // 税款所属期 / tax_period: fills an empty 缴款期限 from the filing calendar
    due_date,   // 缴款期限 / due_date: the last day to pay without surcharge
    pay_date,   // 实际缴款日期 / pay_date: the day the tax was paid
    start_date,  // 起始日期 / start_date: the first day counted (the form's meaning)
    end_date,    // 终止日期 / end_date: the day paid, not counted (the form's meaning)
    days_before, // 2001年04月30日前滞纳天数 / days_before: given, or a dated row's result
    days_after,  // 2001年05月01日后滞纳天数 / days_after: given, or a dated row's result
    total_days,  // 合计滞纳天数 / total_days
    fee_before,  // 2001年04月30日前应加征滞纳金 / fee_before
    fee_after,   // 2001年05月01日后应加征滞纳金 / fee_after
    total_fee,   // 合计应加征滞纳金 / total_fee
    tax_and_fee_total, // 税款与滞纳金合计 / tax_and_fee_total
    one_more_day,      // 每多滞纳一日增加 / one_more_day: what paying a day later adds
    error,             // 备注 / error: why a row has no figures, "未逾期", how a cell was read
    // A debt paid in parts: the rows that share an 编号 are one debt (debts.h).
    item_id,     // 编号 / item_id: the debt a row belongs to
    paid_amount, // 本次缴款金额 / paid_amount: one payment of the debt, on 实际缴款日期
    stop_date,   // 停止计算日期 / stop_date: on the debt's row, the last day that accrues
    apply_cap,   // 适用封顶 / apply_cap: on the debt's row, "是" when its totals are capped
    to_tax,      // 抵缴税款 / to_tax: of a payment, what went to the tax
    to_fee,      // 抵缴滞纳金 / to_fee: of a payment, what went to the surcharge
    excess,      // 多缴 / excess: of a payment, what exceeded tax and surcharge
    tax_outstanding, // 尚欠税款 / tax_outstanding: after a payment; on the debt's row, at the end
    fee_outstanding, // 尚欠滞纳金 / fee_outstanding: the same for the surcharge
    fee_paid,        // 已缴滞纳金 / fee_paid: on the debt's row, the surcharge paid
    capped_total_fee, // 按行政强制法第四十五条封顶 / capped_total_fee: min(total_fee, tax)
};
inline constexpr std::size_t column_count = 27;

enum class column_kind : unsigned char { text, money, count, date };

enum class column_use : unsigned char {
    input,           // read from the row: what the user gives
    input_or_result, // the day counts: given in a row without dates, results beside a dated row's
    result,          // computed from the row; never read, always written anew
};

struct column_facts {
    std::string_view english;
    std::string_view chinese;
    column_kind kind;
    column_use use;
    bool summed; // a totals row adds it up
};

[[nodiscard]] const column_facts& facts(column c);

// The header text of `c` in `lang`.
[[nodiscard]] std::string_view column_name(column c, language lang);

// The rule a column follows, in one Chinese sentence for its header's
// tooltip, its rates and legal sources taken from the engine.
[[nodiscard]] std::string column_rule(column c);

// The columns read from a row, in column order, and the place of each among
// them (input_slot); the worksheet keeps one text per input column.
inline constexpr std::array<column, 13> input_columns{
    column::item,       column::amount,     column::tax_period,  column::due_date,
    column::pay_date,   column::start_date, column::end_date,    column::days_before,
    column::days_after, column::item_id,    column::paid_amount, column::stop_date,
    column::apply_cap,
};
[[nodiscard]] constexpr std::optional<std::size_t> input_slot(column c) {
    for (std::size_t i = 0; i < input_columns.size(); ++i) {
        if (input_columns[i] == c) {
            return i;
        }
    }
    return std::nullopt;
}

// The column a header cell names, and the language it is written in; nothing
// for a column the sheet does not know (it is passed through).
struct named_column {
    column role;
    language lang;
};
[[nodiscard]] std::optional<named_column> column_named(std::string_view header);

} // namespace orvandel::sheet
