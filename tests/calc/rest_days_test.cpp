// The compiled rest-day table against the package data it is generated from
// (data/chinese-days/chinese-days.json, committed with its licence).
#include "calc/rest_days.h"

#include "calc/date.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace orvandel::calc {
namespace {

using namespace std::chrono;

std::string text(const year_month_day& d) {
    return format_date_text(d).value_or("no such day");
}

std::string read_package_data() {
    std::ifstream in(ORVANDEL_CALC_DATA "/chinese-days/chinese-days.json", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The "yyyy-mm-dd" keys of the object named `name` in the package's JSON,
// whose values are plain strings ("Spring Festival,春节,3").
std::set<sys_days> days_of(const std::string& json, const std::string& name) {
    const auto open = json.find("\"" + name + "\":{");
    const auto close = json.find('}', open);
    if (open == std::string::npos || close == std::string::npos) {
        ADD_FAILURE() << "no object " << name;
        return {};
    }
    const std::string object = json.substr(open, close - open);
    const std::regex key(R"re("(\d{4})-(\d{2})-(\d{2})":)re");
    std::set<sys_days> days;
    for (auto m = std::sregex_iterator(object.begin(), object.end(), key);
         m != std::sregex_iterator(); ++m) {
        days.insert(sys_days{year{std::stoi((*m)[1])} / std::stoi((*m)[2]) / std::stoi((*m)[3])});
    }
    return days;
}

// Every day of every year the table covers is a rest day exactly when the
// package says so: a holiday, or a Saturday or Sunday that is not a working day.
TEST(RestDays, EqualThePackageDataDayByDay) {
    const std::string json = read_package_data();
    ASSERT_FALSE(json.empty()) << "cannot read the package data";
    const std::set<sys_days> holidays = days_of(json, "holidays");
    const std::set<sys_days> workdays = days_of(json, "workdays");
    // 619 holidays and 150 working weekend days in chinese-days 1.5.7.
    ASSERT_GT(holidays.size(), 600U);
    ASSERT_GT(workdays.size(), 140U);

    const year_range known = rest_day_years();
    EXPECT_EQ(known.first, year_month_day{*holidays.begin()}.year());
    EXPECT_EQ(known.last, year_month_day{*holidays.rbegin()}.year());
    for (sys_days d{known.first / January / 1}; d <= sys_days{known.last / December / 31};
         d += days{1}) {
        const weekday w{d};
        const bool weekend = w == Saturday || w == Sunday;
        const bool expected = holidays.contains(d) || (weekend && !workdays.contains(d));
        const auto actual = is_rest_day(year_month_day{d});
        ASSERT_TRUE(actual.has_value()) << text(year_month_day{d});
        ASSERT_EQ(*actual, expected) << text(year_month_day{d});
    }
}

TEST(RestDays, KnowNothingOutsideTheTable) {
    EXPECT_EQ(rest_day_years().first, 2004y);
    EXPECT_EQ(rest_day_years().last, 2026y);
    const struct {
        year_month_day day;
        std::optional<bool> rest;
    } cases[] = {
        {2003y / December / 31, std::nullopt}, {2004y / January / 1, true},
        {2024y / February / 10, true},         {2024y / February / 18, false},
        {2024y / February / 19, false},        {2024y / February / 24, true},
        {2026y / December / 31, false},        {2027y / January / 1, std::nullopt},
        {2024y / February / 30, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(is_rest_day(c.day), c.rest) << text(c.day);
    }
}

} // namespace
} // namespace orvandel::calc
