// The filing calendar on the command line: the 缴款期限 of a tax period and
// its source, for --deadline and for --period in place of --due.
#pragma once

#include "options.h"

#include "calc/filing_calendar.h"
#include "calc/result.h"
#include "calc/tax_period.h"

#include <ostream>
#include <string>
#include <string_view>

namespace orvandel::cli {

struct period_deadline {
    calc::tax_period period;
    calc::filing_deadline deadline;
};

// The deadline of the period `text` given to `option`, or the one-line reason
// there is none, e.g. "--period: no such period" or "--period 2026-12: the
// deadline falls in 2027, a year with no published filing calendar or holiday
// data (they cover 2004..2026); type the deadline with --due".
[[nodiscard]] calc::result<period_deadline, std::string> deadline_for(std::string_view option,
                                                                      std::string_view text);

// The JSON members of a deadline, without braces:
// "period":"2024-04","deadline":"2024-05-22","source":"…","rule":"published",
// and "alternative":"yyyy-mm-dd" only when the two derived rules differ.
[[nodiscard]] std::string json_members(const period_deadline& found);

// One line in Chinese, e.g.
// "2024年4月的缴款期限：2024-05-22（《国家税务总局办公厅…的通知》）" or
// "2019年1月的缴款期限：2019-02-26（推算，按工作日顺延；另一算法：2019-02-22）".
[[nodiscard]] std::string readable_line(const period_deadline& found);

// --deadline: the line or one JSON object on `out`. Returns 0, or 2 with a
// one-line message on `err` when the period cannot be read or has no deadline.
int run_deadline(const deadline_options& request, std::ostream& out, std::ostream& err);

} // namespace orvandel::cli
