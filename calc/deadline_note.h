// How a 缴款期限 taken from the filing calendar tells its source, in the
// words every output uses (the command line, the batch's 备注, the worksheet,
// the audit sheet and the calendar window), so that all of them read the same.
#pragma once

#include "filing_calendar.h"

#include <string>
#include <string_view>

namespace orvandel::calc {

// The language of a note: Chinese for the worksheet and Chinese sheets,
// English for a sheet whose header is in English. The documents are cited in
// Chinese in both.
enum class note_language : unsigned char { chinese, english };

// "申报日历", "按日历日顺延" or "按工作日顺延".
[[nodiscard]] std::string_view rule_description(deadline_rule rule);

// The note of a deadline filled from the calendar (or typed and the same):
//   published:                   "缴款期限：税总办征科函〔2025〕64号"
//                                "due_date from 税总办征科函〔2025〕64号"
//   derived, both rules agree:   "缴款期限为推算"
//                                "due_date derived (推算)"
//   derived, the rules differ:   "缴款期限为推算（另一算法：5月20日）"
//                                "due_date derived (推算; other rule: 2024-05-20)"
[[nodiscard]] std::string deadline_note(const filing_deadline& deadline,
                                        note_language lang = note_language::chinese);

// The note of a typed deadline that is not the calendar's; the typed one stands:
//   "缴款期限2024-05-20与申报日历的2024-05-22不同（税总办征科函〔2024〕71号），按填写的日期计算"
//   "缴款期限2019-02-22与推算的2019-02-26不同（另一算法：2月22日），按填写的日期计算"
//   "due_date 2024-05-20 differs from the filing calendar's 2024-05-22
//    (税总办征科函〔2024〕71号); the date given is used"
[[nodiscard]] std::string differing_deadline_note(const date& typed,
                                                  const filing_deadline& calendar,
                                                  note_language lang = note_language::chinese);

// "5月20日": month and day without leading zeros, as the note names a day.
[[nodiscard]] std::string chinese_month_day(const date& d);

// "星期三": the day of the week, as the calendar window shows it.
[[nodiscard]] std::string_view chinese_weekday(const date& d);

// How a derived deadline is found, in one sentence without a final full stop:
// "推算：基准日为15日（2008年及以前为10日，《增值税暂行条例》…），1日至基准日
// 之间连续3日以上的休息日顺延（…第一百零九条）；2017年及以前按日历日顺延
// （基准日加顺延天数，再顺延到工作日），2018年起按工作日顺延（基准日后第N个
// 工作日）".
[[nodiscard]] std::string derivation_rule_text();

// Which years the program knows, from its data, in one sentence without a
// final full stop: "申报日历：2018年、2020年至2026年；推算：2004年至2026年的
// 其他年份；其他年份没有数据，须填写缴款期限".
[[nodiscard]] std::string calendar_coverage_text();

} // namespace orvandel::calc
