#include "calc/split.h"

#include <gtest/gtest.h>

#include <random>

namespace orvandel::calc {
namespace {

using namespace std::chrono;

TEST(SplitOverdueDays, CountsEachSideOfTheChangeDay) {
    const struct {
        const char* start;
        const char* end;
        day_count before;
        day_count after;
    } cases[] = {
        {"2001-04-21", "2001-05-10", 10, 9},    {"2001-04-20", "2001-05-10", 11, 9},
        {"2001-05-01", "2001-05-10", 0, 9},     {"2001-04-20", "2001-05-01", 11, 0},
        {"2001-04-30", "2001-05-01", 1, 0},     {"2001-05-01", "2001-05-02", 0, 1},
        {"2001-04-30", "2001-05-02", 1, 1},     {"2001-05-01", "2001-05-01", 0, 0},
        {"1999-03-03", "1999-03-03", 0, 0},     {"2024-03-15", "2024-03-15", 0, 0},
        {"2000-02-28", "2000-03-01", 2, 0},     {"2004-02-28", "2004-03-01", 0, 2},
        {"1999-01-01", "2002-01-01", 851, 245}, {"0001-01-01", "9999-12-31", 730605, 2921453},
    };
    for (const auto& c : cases) {
        const overdue_split s =
            split_overdue_days(*parse_date_text(c.start), *parse_date_text(c.end));
        EXPECT_EQ(s, (overdue_split{c.before, c.after})) << c.start << " to " << c.end;
    }
}

// The split against a plain day-by-day count: every day from start to the day
// before end is overdue, and falls on one side of 2001-05-01.
TEST(SplitOverdueDays, AgreesWithADayByDayCount) {
    std::mt19937 rng(42);
    const sys_days change{rate_change_date};
    std::uniform_int_distribution<int> offset(-1500, 1500);
    std::uniform_int_distribution<int> length(0, 1200);
    for (int i = 0; i < 3000; ++i) {
        const sys_days start = change + days{offset(rng)};
        const sys_days end = start + days{length(rng)};
        overdue_split counted;
        for (sys_days d = start; d < end; d += days{1}) {
            ++(d < change ? counted.days_before : counted.days_after);
        }
        ASSERT_EQ(split_overdue_days(year_month_day{start}, year_month_day{end}), counted)
            << format_date_text(year_month_day{start}).value_or("?") << " to "
            << format_date_text(year_month_day{end}).value_or("?");
    }
}

} // namespace
} // namespace orvandel::calc
