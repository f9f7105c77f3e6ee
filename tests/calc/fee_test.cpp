#include "calc/fee.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace orvandel::calc {
namespace {

late_fee_input by_dates(std::int64_t cents, const char* start, const char* end) {
    late_fee_input in;
    in.amount_due = money{cents, 2};
    in.start_date = *parse_date_text(start);
    in.end_date = *parse_date_text(end);
    return in;
}

late_fee_input by_days(std::int64_t cents, day_count before, day_count after) {
    late_fee_input in;
    in.amount_due = money{cents, 2};
    in.mode = entry_mode::by_days;
    in.days_before = before;
    in.days_after = after;
    return in;
}

// Every figure as text: days before, after, total; fee before, after, total;
// tax and surcharge.
std::string figures(const late_fee_input& in) {
    const auto r = compute_late_fee(in);
    if (!r) {
        return "error " + std::to_string(static_cast<int>(r.error()));
    }
    return std::to_string(r->days_before) + " " + std::to_string(r->days_after) + " " +
           std::to_string(r->total_days) + " | " + default_text(r->fee_before) + " " +
           default_text(r->fee_after) + " " + default_text(r->total_fee) + " | " +
           default_text(r->tax_and_fee_total);
}

TEST(ComputeLateFee, GivesEveryFigureToTheCent) {
    constexpr std::int64_t widest = 99999999999999;
    const struct {
        const char* name;
        late_fee_input input;
        const char* expected;
    } cases[] = {
        {"worked by dates", by_dates(1234567, "2001-04-21", "2001-05-10"),
         "10 9 19 | 246.91 55.56 302.47 | 12648.14"},
        {"worked by days", by_days(123456, 15, 30), "15 30 45 | 37.04 18.52 55.56 | 1290.12"},
        {"equal dates", by_dates(1234567, "2001-05-01", "2001-05-01"),
         "0 0 0 | 0.00 0.00 0.00 | 12345.67"},
        {"zero amount", by_dates(0, "2001-04-21", "2001-05-10"), "10 9 19 | 0.00 0.00 0.00 | 0.00"},
        {"half cent rounds up", by_days(250, 1, 0), "1 0 1 | 0.01 0.00 0.01 | 2.51"},
        // Both raw fees are 0.004: each rounds to 0.00, and so does their sum.
        {"fees rounded before adding", by_days(200, 1, 4), "1 4 5 | 0.00 0.00 0.00 | 2.00"},
        {"widest typed", by_days(widest, 999999, 999999),
         "999999 999999 1999998 | 1999997999999980.00 499999499999995.00 2499997499999975.00 | "
         "2500997499999974.99"},
        {"widest dates", by_dates(widest, "0001-01-01", "9999-12-31"),
         "730605 2921453 3652058 | 1461209999999985.39 1460726499999985.39 2921936499999970.78 "
         "| 2922936499999970.77"},
        {"start after end", by_dates(1234567, "2001-05-02", "2001-05-01"), "error 0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(figures(c.input), c.expected) << c.name;
    }
}

TEST(ComputeLateFee, ReportsWhatItCannotComputeSoundly) {
    // By day counts the dates play no part, whatever their order.
    late_fee_input reversed = by_dates(100, "2001-05-02", "2001-05-01");
    reversed.mode = entry_mode::by_days;
    EXPECT_TRUE(compute_late_fee(reversed).ok());

    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    const auto with_dates = [](date start, date end) {
        late_fee_input in = by_dates(100, "2001-01-01", "2001-01-01");
        in.start_date = start;
        in.end_date = end;
        return in;
    };
    const auto with_scale = [](int scale) {
        late_fee_input in = by_days(100, 1, 1);
        in.amount_due.scale = scale;
        return in;
    };
    using std::chrono::year;
    const date day = year{2001} / std::chrono::May / 1;
    const struct {
        const char* name;
        late_fee_input input;
        fee_error expected;
    } cases[] = {
        {"start after end", by_dates(100, "2001-05-02", "2001-05-01"), fee_error::start_after_end},
        {"no such start day", with_dates(year{2001} / std::chrono::February / 29, day),
         fee_error::invalid_date},
        {"year beyond 9999", with_dates(day, year{12345} / std::chrono::January / 1),
         fee_error::invalid_date},
        {"year 0", with_dates(year{0} / std::chrono::January / 1, day), fee_error::invalid_date},
        {"negative days before", by_days(100, -1, 0), fee_error::negative_days},
        {"negative days after", by_days(100, 0, -1), fee_error::negative_days},
        {"scale 19", with_scale(19), fee_error::invalid_amount},
        {"negative scale", with_scale(-1), fee_error::invalid_amount},
        {"product too wide", by_days(max, max, 0), fee_error::out_of_range},
        {"days overflow their sum", by_days(1, 1, max), fee_error::out_of_range},
    };
    for (const auto& c : cases) {
        const auto r = compute_late_fee(c.input);
        ASSERT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.error(), c.expected) << c.name;
    }
    EXPECT_TRUE(compute_late_fee(with_scale(18)).ok());
}

} // namespace
} // namespace orvandel::calc
