#include "rest_days.h"

#include <algorithm>
#include <iterator>

namespace orvandel::calc {
namespace {

struct holiday_run {
    int year;
    int month;
    int first_day;
    int days;
};

struct working_weekend_day {
    int year;
    int month;
    int day;
};

#include "holidays_data.inc"

date date_of(int y, int m, int d) {
    return date{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                std::chrono::day{static_cast<unsigned>(d)}};
}

bool in_holiday(const date& d) {
    const int y = static_cast<int>(d.year());
    // Runs never cross the end of a year, so only the runs of d's year matter.
    const auto [first, last] = std::equal_range(
        std::begin(holiday_runs), std::end(holiday_runs), holiday_run{y, 0, 0, 0},
        [](const holiday_run& a, const holiday_run& b) { return a.year < b.year; });
    return std::any_of(first, last, [&d](const holiday_run& run) {
        const auto start = std::chrono::sys_days{date_of(run.year, run.month, run.first_day)};
        const auto day = std::chrono::sys_days{d};
        return day >= start && day < start + std::chrono::days{run.days};
    });
}

bool is_working_weekend_day(const date& d) {
    return std::any_of(
        std::begin(working_weekend_days), std::end(working_weekend_days),
        [&d](const working_weekend_day& w) { return date_of(w.year, w.month, w.day) == d; });
}

bool is_weekend(const date& d) {
    const std::chrono::weekday w{std::chrono::sys_days{d}};
    return w == std::chrono::Saturday || w == std::chrono::Sunday;
}

} // namespace

year_range rest_day_years() {
    return {std::chrono::year{holiday_data_first_year}, std::chrono::year{holiday_data_last_year}};
}

std::optional<bool> is_rest_day(const date& d) {
    const year_range known = rest_day_years();
    if (!d.ok() || d.year() < known.first || d.year() > known.last) {
        return std::nullopt;
    }
    return in_holiday(d) || (is_weekend(d) && !is_working_weekend_day(d));
}

} // namespace orvandel::calc
