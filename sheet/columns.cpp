#include "sheet/columns.h"

#include "calc/deadline_note.h"
#include "calc/debt_labels.h"
#include "calc/fee.h"
#include "calc/law.h"
#include "calc/number_text.h"

#include <array>

namespace orvandel::sheet {
namespace {

using kind = column_kind;
using use = column_use;

// In the order of `column`. The Chinese names are the worksheet's column
// titles, and for the form's two dates the form's own words; the English
// names are the ones the command line has always read and written.
constexpr std::array<column_facts, column_count> table{{
    {"item", "项目", kind::text, use::input, false},
    {"amount", "应缴税款金额", kind::money, use::input, true},
    {"tax_period", "税款所属期", kind::text, use::input, false},
    {"due_date", "缴款期限", kind::date, use::input, false},
    {"pay_date", "实际缴款日期", kind::date, use::input, false},
    {"start_date", "起始日期", kind::date, use::input, false},
    {"end_date", "终止日期", kind::date, use::input, false},
    {"days_before", "2001年04月30日前滞纳天数", kind::count, use::input_or_result, true},
    {"days_after", "2001年05月01日后滞纳天数", kind::count, use::input_or_result, true},
    {"total_days", "合计滞纳天数", kind::count, use::result, true},
    {"fee_before", "2001年04月30日前应加征滞纳金", kind::money, use::result, true},
    {"fee_after", "2001年05月01日后应加征滞纳金", kind::money, use::result, true},
    {"total_fee", "合计应加征滞纳金", kind::money, use::result, true},
    {"tax_and_fee_total", "税款与滞纳金合计", kind::money, use::result, true},
    {"one_more_day", "每多滞纳一日增加", kind::money, use::result, true},
    {"error", "备注", kind::text, use::result, false},
    {"item_id", "编号", kind::text, use::input, false},
    {"paid_amount", "本次缴款金额", kind::money, use::input, true},
    {"stop_date", calc::debt_labels::stop_date, kind::date, use::input, false},
    {"apply_cap", "适用封顶", kind::text, use::input, false},
    {"to_tax", "抵缴税款", kind::money, use::result, true},
    {"to_fee", "抵缴滞纳金", kind::money, use::result, true},
    {"excess", calc::debt_labels::excess, kind::money, use::result, true},
    // Balances after each payment beside the debt's own: no sum means anything.
    {"tax_outstanding", "尚欠税款", kind::money, use::result, false},
    {"fee_outstanding", "尚欠滞纳金", kind::money, use::result, false},
    {"fee_paid", "已缴滞纳金", kind::money, use::result, true},
    {"capped_total_fee", calc::debt_labels::capped_total_fee, kind::money, use::result, true},
}};
static_assert(static_cast<std::size_t>(column::capped_total_fee) + 1 == column_count);

std::string text(std::string_view s) {
    return std::string(s);
}

// "应缴税款金额 × 2001年04月30日前滞纳天数 × 0.002，四舍五入到分。"
std::string fee_rule(column days, const calc::money& rate) {
    return text(column_name(column::amount, language::chinese))
        .append(" × ")
        .append(column_name(days, language::chinese))
        .append(" × ")
        .append(calc::default_text(rate))
        .append("，四舍五入到分。");
}

// "2020年03月01日": the first day a payment goes to the tax first.
std::string tax_first_day() {
    const auto day = calc::tax_first_from;
    return std::to_string(static_cast<int>(day.year())) + "年" +
           (static_cast<unsigned>(day.month()) < 10 ? "0" : "") +
           std::to_string(static_cast<unsigned>(day.month())) + "月" +
           (static_cast<unsigned>(day.day()) < 10 ? "0" : "") +
           std::to_string(static_cast<unsigned>(day.day())) + "日";
}

} // namespace

const column_facts& facts(column c) {
    return table[static_cast<std::size_t>(c)];
}

std::string_view column_name(column c, language lang) {
    return lang == language::english ? facts(c).english : facts(c).chinese;
}

std::string column_rule(column c) {
    namespace law = calc::law;
    switch (c) {
    case column::item:
        return "项目名称，任意文字，例如“增值税 2024年3月”。";
    case column::amount:
        return "应缴而未按期缴纳的税款，最多" + std::to_string(calc::amount_integer_digits) +
               "位整数和" + std::to_string(calc::amount_decimals) + "位小数。";
    case column::tax_period:
        return text("税款所属期，如2024-04、2024年4月、2024Q1或2024年第1季度，在其后一个月"
                    "申报缴纳；缴款期限空着时按申报日历填入，备注写明依据，填写的缴款期限优先。")
            .append(calc::calendar_coverage_text())
            .append("。");
    case column::due_date:
        return text("缴款期限是不加收滞纳金的最后一天，滞纳天数从其次日起算（")
            .append(law::day_count_source)
            .append("）；空着时按税款所属期从申报日历填入。");
    case column::pay_date:
        return text("实际缴纳税款的当天计入滞纳天数（")
            .append(law::pay_day_source)
            .append("）；留空则按上方的缴款日期计算。");
    case column::start_date:
        return "按起始日期和终止日期给出的期间，计起始日期，不计终止日期。";
    case column::end_date:
        return "缴纳税款的当天，不计入滞纳天数。";
    case column::days_before:
        return text("2001年04月30日及以前的滞纳天数，按日加收")
            .append(law::rate_before_words)
            .append("（")
            .append(law::rate_before_source)
            .append("）；有日期时为计算结果。");
    case column::days_after:
        return text("2001年05月01日起的滞纳天数，按日加收")
            .append(law::rate_after_words)
            .append("（")
            .append(law::rate_after_source)
            .append("）；有日期时为计算结果。");
    case column::total_days:
        return law::day_count_rule() + "。";
    case column::fee_before:
        return fee_rule(column::days_before, calc::rate_before);
    case column::fee_after:
        return fee_rule(column::days_after, calc::rate_after);
    case column::total_fee:
        return "两段滞纳金（各自四舍五入到分后）之和。";
    case column::tax_and_fee_total:
        return "应缴税款金额与合计应加征滞纳金之和。";
    case column::one_more_day:
        return "晚一天缴款时合计应加征滞纳金增加的金额；按天数计算的行，"
               "按2001年05月01日后多一天计算。";
    case column::error:
        return "有误的行在这里说明原因，不计入合计；按期缴款的行注明“未逾期”。";
    case column::item_id:
        return "同一编号的各行是同一笔分次缴纳的欠税：填写应缴税款金额的一行给出税款和缴款期限，"
               "其余各行各以实际缴款日期和本次缴款金额记一次缴款。";
    case column::paid_amount:
        return text("在实际缴款日期缴纳的金额。逾期后、")
            .append(tax_first_day())
            .append("前的缴款按所欠税款与滞纳金的比例分配（")
            .append(calc::debt_labels::proportional_rule)
            .append("，")
            .append(law::proportional_source)
            .append("）；")
            .append(tax_first_day())
            .append("起先抵缴税款，再抵缴滞纳金（")
            .append(law::tax_first_source)
            .append("）。");
    case column::stop_date:
        return text("这一天仍加收滞纳金，之后不再加收，例如人民法院受理破产申请之日（")
            .append(law::stop_date_source)
            .append("）；填在应缴税款金额所在的行。");
    case column::apply_cap:
        return text("填“是”时，这笔欠税的合计以税款为限（")
            .append(law::cap_source)
            .append("）；税务机关认为该条不适用于税收滞纳金，留空则不封顶。");
    case column::to_tax:
        return "本次缴款抵缴税款的金额。";
    case column::to_fee:
        return "本次缴款抵缴滞纳金的金额。";
    case column::excess:
        return "本次缴款超过所欠税款和滞纳金的部分，照实列出。";
    case column::tax_outstanding:
        return "本次缴款后尚欠的税款；在应缴税款金额所在的行，为最后一次缴款后（计算至截止日）"
               "尚欠的税款。";
    case column::fee_outstanding:
        return "本次缴款后尚欠的滞纳金；在应缴税款金额所在的行，为这笔欠税尚欠的滞纳金。";
    case column::fee_paid:
        return "各次缴款抵缴滞纳金之和。";
    case column::capped_total_fee:
        return text("合计应加征滞纳金与应缴税款金额中较小者（")
            .append(law::cap_source)
            .append("）。");
    }
    return {};
}

std::optional<named_column> column_named(std::string_view header) {
    for (std::size_t i = 0; i < column_count; ++i) {
        if (header == table[i].english) {
            return named_column{static_cast<column>(i), language::english};
        }
        if (header == table[i].chinese) {
            return named_column{static_cast<column>(i), language::chinese};
        }
    }
    return std::nullopt;
}

} // namespace orvandel::sheet
