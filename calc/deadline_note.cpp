#include "deadline_note.h"

#include "law.h"
#include "published_calendars.h"
#include "rest_days.h"

#include <array>

namespace orvandel::calc {
namespace {

std::string date_text(const date& d) {
    return format_date_text(d).value_or("");
}

std::string year_text(std::chrono::year y) {
    return std::to_string(static_cast<int>(y)) + "年";
}

// "2018年、2020年至2026年": the years of the published calendars, runs of
// consecutive years written as one span.
std::string published_years_text() {
    std::string out;
    const auto calendars = published_calendars();
    for (std::size_t i = 0; i < calendars.size();) {
        std::size_t last = i;
        while (last + 1 < calendars.size() &&
               calendars[last + 1].year == calendars[last].year + std::chrono::years{1}) {
            ++last;
        }
        if (!out.empty()) {
            out += "、";
        }
        out += year_text(calendars[i].year);
        if (last > i) {
            out.append("至").append(year_text(calendars[last].year));
        }
        i = last + 1;
    }
    return out;
}

} // namespace

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

std::string_view chinese_weekday(const date& d) {
    static constexpr std::array<std::string_view, 7> names{"星期日", "星期一", "星期二", "星期三",
                                                           "星期四", "星期五", "星期六"};
    return names[std::chrono::weekday{std::chrono::sys_days{d}}.c_encoding()];
}

std::string deadline_note(const filing_deadline& deadline, note_language lang) {
    const bool zh = lang == note_language::chinese;
    if (deadline.rule == deadline_rule::published) {
        return std::string(zh ? "缴款期限：" : "due_date from ").append(deadline.source);
    }
    std::string note = zh ? "缴款期限为" : "due_date derived (";
    note.append(derived_source);
    if (deadline.alternative) {
        note.append(zh ? "（另一算法：" : "; other rule: ")
            .append(zh ? chinese_month_day(*deadline.alternative)
                       : date_text(*deadline.alternative))
            .append(zh ? "）" : "");
    }
    return zh ? note : note.append(")");
}

std::string differing_deadline_note(const date& typed, const filing_deadline& calendar,
                                    note_language lang) {
    const bool published = calendar.rule == deadline_rule::published;
    if (lang == note_language::english) {
        std::string note = "due_date ";
        note.append(date_text(typed))
            .append(published ? " differs from the filing calendar's "
                              : " differs from the derived ")
            .append(date_text(calendar.deadline))
            .append(" (")
            .append(calendar.source);
        if (calendar.alternative) {
            note.append("; other rule: ").append(date_text(*calendar.alternative));
        }
        return note.append("); the date given is used");
    }
    std::string note = "缴款期限";
    note.append(date_text(typed))
        .append(published ? "与申报日历的" : "与推算的")
        .append(date_text(calendar.deadline))
        .append("不同");
    if (published) {
        note.append("（").append(calendar.source).append("）");
    } else if (calendar.alternative) {
        note.append("（另一算法：").append(chinese_month_day(*calendar.alternative)).append("）");
    }
    return note.append("，按填写的日期计算");
}

std::string derivation_rule_text() {
    const auto last_year = [](std::chrono::year y) { return year_text(y - std::chrono::years{1}); };
    return std::string(derived_source)
        .append("：基准日为15日（")
        .append(last_year(first_base_15_year))
        .append("及以前为10日；")
        .append(law::filing_day_source)
        .append("），1日至基准日之间连续3日以上的休息日顺延（")
        .append(law::holiday_extension_source_short)
        .append("）；")
        .append(last_year(first_working_day_rule_year))
        .append("及以前按日历日顺延（基准日加顺延天数，遇休息日再顺延到工作日），")
        .append(year_text(first_working_day_rule_year))
        .append("起按工作日顺延（基准日后第N个工作日）");
}

std::string calendar_coverage_text() {
    const year_range known = rest_day_years();
    return std::string("申报日历：")
        .append(published_years_text())
        .append("；推算：")
        .append(year_text(known.first))
        .append("至")
        .append(year_text(known.last))
        .append("的其他年份；其他年份没有数据，须填写缴款期限");
}

} // namespace orvandel::calc
