#include "calc/split.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace orvandel::calc {
namespace {

using namespace std::chrono;

struct split_case {
    const char* name;
    const char* start;
    const char* end;
    day_count before;
    day_count after;
};

class SplitOverdueDays : public testing::TestWithParam<split_case> {};

TEST_P(SplitOverdueDays, CountsEachSideOfTheChangeDay) {
    const split_case& c = GetParam();
    const overdue_split s = split_overdue_days(*parse_date_text(c.start), *parse_date_text(c.end));
    EXPECT_EQ(s.days_before, c.before);
    EXPECT_EQ(s.days_after, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitOverdueDays,
    testing::Values(split_case{"straddling", "2001-04-21", "2001-05-10", 10, 9},
                    split_case{"straddling_wide", "2001-04-20", "2001-05-10", 11, 9},
                    split_case{"starts_on_change", "2001-05-01", "2001-05-10", 0, 9},
                    split_case{"ends_on_change", "2001-04-20", "2001-05-01", 11, 0},
                    split_case{"last_old_day", "2001-04-30", "2001-05-01", 1, 0},
                    split_case{"first_new_day", "2001-05-01", "2001-05-02", 0, 1},
                    split_case{"last_old_to_first_new", "2001-04-30", "2001-05-02", 1, 1},
                    split_case{"same_day_change", "2001-05-01", "2001-05-01", 0, 0},
                    split_case{"same_day_before", "1999-03-03", "1999-03-03", 0, 0},
                    split_case{"same_day_after", "2024-03-15", "2024-03-15", 0, 0},
                    split_case{"leap_day_before", "2000-02-28", "2000-03-01", 2, 0},
                    split_case{"leap_day_after", "2004-02-28", "2004-03-01", 0, 2},
                    split_case{"several_years", "1999-01-01", "2002-01-01", 851, 245},
                    split_case{"whole_calendar", "0001-01-01", "9999-12-31", 730605, 2921453}),
    [](const auto& row) { return std::string(row.param.name); });

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
        day_count before = 0;
        day_count after = 0;
        for (sys_days d = start; d < end; d += days{1}) {
            ++(d < change ? before : after);
        }
        const overdue_split s = split_overdue_days(year_month_day{start}, year_month_day{end});
        ASSERT_EQ(s.days_before, before) << format_date_text(year_month_day{start});
        ASSERT_EQ(s.days_after, after) << format_date_text(year_month_day{end});
    }
}

} // namespace
} // namespace orvandel::calc
