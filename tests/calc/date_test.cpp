#include "calc/date.h"

#include <gtest/gtest.h>

#include <string>

namespace orvandel::calc {
namespace {

using namespace std::chrono;

TEST(ParseDateText, AcceptsOnlyRealDaysInTheExactForm) {
    for (const char* text : {"2001-05-01", "2000-02-29", "0001-01-01", "9999-12-31"}) {
        const auto r = parse_date_text(text);
        ASSERT_TRUE(r.ok()) << text;
        EXPECT_EQ(format_date_text(*r), text);
    }
    const struct {
        const char* text;
        date_text_error error;
    } failures[] = {
        {"", date_text_error::empty},
        {"2001-02-29", date_text_error::no_such_day},
        {"1900-02-29", date_text_error::no_such_day},
        {"2001-13-01", date_text_error::no_such_day},
        {"2001-00-10", date_text_error::no_such_day},
        {"2001-04-31", date_text_error::no_such_day},
        {"0000-01-01", date_text_error::no_such_day},
        {"2001/05/01", date_text_error::bad_form},
        {"2001-5-1", date_text_error::bad_form},
        {"2001-05-01x", date_text_error::bad_form},
        {" 2001-05-01", date_text_error::bad_form},
        {"20010501", date_text_error::bad_form},
        {"2001-+5-01", date_text_error::bad_form},
    };
    for (const auto& f : failures) {
        const auto r = parse_date_text(f.text);
        ASSERT_FALSE(r.ok()) << f.text;
        EXPECT_EQ(r.error(), f.error) << f.text;
    }
}

// Every day of a long stretch survives the trip to text and back, and
// days_between agrees with the calendar.
TEST(DateText, RoundTripsEveryDayAcrossCenturies) {
    const sys_days first{year{1890} / January / 1};
    for (sys_days d = first; d <= sys_days{year{2110} / December / 31}; d += days{1}) {
        const std::string text = format_date_text(year_month_day{d}).value_or("");
        const auto back = parse_date_text(text);
        ASSERT_TRUE(back.ok()) << text;
        ASSERT_EQ(sys_days{*back}, d) << text;
        ASSERT_EQ(days_between(year_month_day{first}, *back), (d - first).count());
    }
    EXPECT_EQ(days_between(year{1} / January / 1, year{9999} / December / 31), 3652058);
}

// Dates the engine may be handed but the form cannot name are refused, never
// written over the end of the four year digits.
TEST(FormatDateText, RefusesWhatIsNoCalendarDay) {
    const year_month_day outside[] = {
        year{12345} / January / 1, year{0} / December / 31,    year{-1} / June / 1,
        year{10000} / January / 1, year{2001} / February / 29, year{2001} / month{13} / 1,
    };
    for (const auto& d : outside) {
        EXPECT_FALSE(is_calendar_day(d)) << static_cast<int>(d.year());
        EXPECT_EQ(format_date_text(d), std::nullopt) << static_cast<int>(d.year());
    }
    EXPECT_EQ(format_date_text(year{1} / January / 1), "0001-01-01");
    EXPECT_EQ(format_date_text(year{9999} / December / 31), "9999-12-31");
}

} // namespace
} // namespace orvandel::calc
