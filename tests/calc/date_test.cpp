#include "calc/date.h"

#include <gtest/gtest.h>

#include <string>

namespace orvandel::calc {
namespace {

using namespace std::chrono;

struct date_text_case {
    const char* name;
    const char* text;
    bool ok;
    date_text_error error; // when !ok
};

class ParseDateText : public testing::TestWithParam<date_text_case> {};

TEST_P(ParseDateText, AcceptsOnlyRealDaysInTheExactForm) {
    const date_text_case& c = GetParam();
    const auto r = parse_date_text(c.text);
    ASSERT_EQ(r.ok(), c.ok) << c.text;
    if (c.ok) {
        EXPECT_EQ(format_date_text(*r), c.text);
    } else {
        EXPECT_EQ(r.error(), c.error);
    }
}

constexpr auto form = date_text_error::bad_form;
constexpr auto no_day = date_text_error::no_such_day;

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseDateText,
    testing::Values(date_text_case{"change_day", "2001-05-01", true, {}},
                    date_text_case{"leap_day", "2000-02-29", true, {}},
                    date_text_case{"first_day", "0001-01-01", true, {}},
                    date_text_case{"last_day", "9999-12-31", true, {}},
                    date_text_case{"empty", "", false, date_text_error::empty},
                    date_text_case{"not_leap", "2001-02-29", false, no_day},
                    date_text_case{"century_not_leap", "1900-02-29", false, no_day},
                    date_text_case{"month_13", "2001-13-01", false, no_day},
                    date_text_case{"month_0", "2001-00-10", false, no_day},
                    date_text_case{"day_0", "2001-05-00", false, no_day},
                    date_text_case{"day_31_in_april", "2001-04-31", false, no_day},
                    date_text_case{"year_0", "0000-01-01", false, no_day},
                    date_text_case{"slashes", "2001/05/01", false, form},
                    date_text_case{"short_parts", "2001-5-1", false, form},
                    date_text_case{"trailing_junk", "2001-05-01x", false, form},
                    date_text_case{"leading_blank", " 2001-05-01", false, form},
                    date_text_case{"digits_only", "20010501", false, form},
                    date_text_case{"signed_part", "2001-+5-01", false, form},
                    date_text_case{"five_digit_year", "12001-05-01", false, form}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DaysBetween, IsSecondMinusFirst) {
    const date a = 2001y / April / 20;
    const date b = 2001y / May / 10;
    EXPECT_EQ(days_between(a, b), 20);
    EXPECT_EQ(days_between(b, a), -20);
    EXPECT_EQ(days_between(a, a), 0);
    EXPECT_EQ(days_between(year{1} / January / 1, year{9999} / December / 31), 3652058);
}

// Every day of a long stretch survives the trip to text and back, and the
// texts of consecutive days are one day apart.
TEST(DateText, RoundTripsEveryDayAcrossCenturies) {
    const sys_days first{year{1890} / January / 1};
    const sys_days last{year{2110} / December / 31};
    for (sys_days d = first; d <= last; d += days{1}) {
        const std::string text = format_date_text(year_month_day{d});
        const auto back = parse_date_text(text);
        ASSERT_TRUE(back.ok()) << text;
        ASSERT_EQ(sys_days{*back}, d) << text;
    }
}

} // namespace
} // namespace orvandel::calc
