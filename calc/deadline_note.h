// How a 缴款期限 taken from the filing calendar tells its source, in the
// words every output uses (the command line now, the batch's 备注 and the
// audit sheet after it), so that all of them read the same.
#pragma once

#include "filing_calendar.h"

#include <string>
#include <string_view>

namespace orvandel::calc {

// "申报日历", "按日历日顺延" or "按工作日顺延".
[[nodiscard]] std::string_view rule_description(deadline_rule rule);

// The 备注 of a deadline filled from the calendar:
//   published:                   "缴款期限：税总办征科函〔2025〕64号"
//   derived, both rules agree:   "缴款期限为推算"
//   derived, the rules differ:   "缴款期限为推算（另一算法：5月20日）"
[[nodiscard]] std::string deadline_note(const filing_deadline& deadline);

// "5月20日": month and day without leading zeros, as the note names a day.
[[nodiscard]] std::string chinese_month_day(const date& d);

} // namespace orvandel::calc
