#include "sheet/columns.h"

#include <array>

namespace orvandel::sheet {
namespace {

struct column_names {
    std::string_view english;
    std::string_view chinese;
};

// In the order of `column`. The Chinese names are the worksheet's column
// titles, and for the form's two dates the form's own words.
constexpr std::array<column_names, column_count> names{{
    {"item", "项目"},
    {"amount", "应缴税款金额"},
    {"due_date", "缴款期限"},
    {"pay_date", "实际缴款日期"},
    {"start_date", "起始日期"},
    {"end_date", "终止日期"},
    {"days_before", "2001年04月30日前滞纳天数"},
    {"days_after", "2001年05月01日后滞纳天数"},
    {"total_days", "合计滞纳天数"},
    {"fee_before", "2001年04月30日前应加征滞纳金"},
    {"fee_after", "2001年05月01日后应加征滞纳金"},
    {"total_fee", "合计应加征滞纳金"},
    {"tax_and_fee_total", "税款与滞纳金合计"},
    {"one_more_day", "每多滞纳一日增加"},
    {"error", "备注"},
}};

static_assert(static_cast<std::size_t>(column::note) + 1 == column_count);

} // namespace

std::string_view column_name(column c, language lang) {
    const column_names& name = names[static_cast<std::size_t>(c)];
    return lang == language::english ? name.english : name.chinese;
}

std::optional<named_column> column_named(std::string_view header) {
    for (std::size_t i = 0; i < column_count; ++i) {
        const auto role = static_cast<column>(i);
        if (header == names[i].english) {
            return named_column{role, language::english};
        }
        if (header == names[i].chinese) {
            return named_column{role, language::chinese};
        }
    }
    return std::nullopt;
}

} // namespace orvandel::sheet
