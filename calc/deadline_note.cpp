#include "deadline_note.h"

namespace orvandel::calc {

std::string_view rule_description(deadline_rule rule) {
    switch (rule) {
    case deadline_rule::published:
        return "申报日历";
    case deadline_rule::calendar:
        return "按日历日顺延";
    case deadline_rule::working_day:
        break;
    }
    return "按工作日顺延";
}

std::string chinese_month_day(const date& d) {
    return std::to_string(static_cast<unsigned>(d.month())) + "月" +
           std::to_string(static_cast<unsigned>(d.day())) + "日";
}

std::string deadline_note(const filing_deadline& deadline) {
    std::string note = "缴款期限";
    if (deadline.rule == deadline_rule::published) {
        return note.append("：").append(deadline.source);
    }
    note.append("为").append(derived_source);
    if (deadline.alternative) {
        note.append("（另一算法：").append(chinese_month_day(*deadline.alternative)).append("）");
    }
    return note;
}

} // namespace orvandel::calc
