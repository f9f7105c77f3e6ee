#include "calc/fee.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace orvandel::calc {
namespace {

struct fee_case {
    const char* name;
    const char* amount; // coefficient at two places, as text for readability
    const char* start;  // by_dates when set
    const char* end;
    day_count typed_before; // by_days otherwise
    day_count typed_after;
    // Expected figures.
    day_count before;
    day_count after;
    const char* fee_before;
    const char* fee_after;
    const char* total_fee;
    const char* grand_total;
};

money amount_of(const char* text) {
    return money{std::stoll(text), 2};
}

late_fee_input input_of(const fee_case& c) {
    late_fee_input in;
    in.amount_due = amount_of(c.amount);
    if (c.start != nullptr) {
        in.mode = entry_mode::by_dates;
        in.start_date = *parse_date_text(c.start);
        in.end_date = *parse_date_text(c.end);
    } else {
        in.mode = entry_mode::by_days;
        in.days_before = c.typed_before;
        in.days_after = c.typed_after;
    }
    return in;
}

class ComputeLateFee : public testing::TestWithParam<fee_case> {};

TEST_P(ComputeLateFee, GivesEveryFigureToTheCent) {
    const fee_case& c = GetParam();
    const auto r = compute_late_fee(input_of(c));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->days_before, c.before);
    EXPECT_EQ(r->days_after, c.after);
    EXPECT_EQ(r->total_days, c.before + c.after);
    EXPECT_EQ(default_text(r->fee_before), c.fee_before);
    EXPECT_EQ(default_text(r->fee_after), c.fee_after);
    EXPECT_EQ(default_text(r->total_fee), c.total_fee);
    EXPECT_EQ(default_text(r->tax_and_fee_total), c.grand_total);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComputeLateFee,
    testing::Values(fee_case{"worked_by_dates", "1234567", "2001-04-21", "2001-05-10", 0, 0, 10, 9,
                             "246.91", "55.56", "302.47", "12648.14"},
                    fee_case{"worked_by_days", "123456", nullptr, nullptr, 15, 30, 15, 30, "37.04",
                             "18.52", "55.56", "1290.12"},
                    fee_case{"ten_thousand", "1000000", "2001-04-20", "2001-05-10", 0, 0, 11, 9,
                             "220.00", "45.00", "265.00", "10265.00"},
                    fee_case{"equal_dates", "1234567", "2001-05-01", "2001-05-01", 0, 0, 0, 0,
                             "0.00", "0.00", "0.00", "12345.67"},
                    fee_case{"zero_amount", "0", "2001-04-21", "2001-05-10", 0, 0, 10, 9, "0.00",
                             "0.00", "0.00", "0.00"},
                    fee_case{"half_cent_rounds_up", "250", nullptr, nullptr, 1, 0, 1, 0, "0.01",
                             "0.00", "0.01", "2.51"},
                    // Both raw fees are 0.004: each rounds to 0.00 and so does their sum.
                    fee_case{"fees_rounded_before_adding", "200", nullptr, nullptr, 1, 4, 1, 4,
                             "0.00", "0.00", "0.00", "2.00"},
                    fee_case{"zero_typed_days", "123456", nullptr, nullptr, 0, 0, 0, 0, "0.00",
                             "0.00", "0.00", "1234.56"},
                    fee_case{"widest_typed", "99999999999999", nullptr, nullptr, 999999, 999999,
                             999999, 999999, "1999997999999980.00", "499999499999995.00",
                             "2499997499999975.00", "2500997499999974.99"},
                    fee_case{"widest_dates", "99999999999999", "0001-01-01", "9999-12-31", 0, 0,
                             730605, 2921453, "1461209999999985.39", "1460726499999985.39",
                             "2921936499999970.78", "2922936499999970.77"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ComputeLateFee, RejectsAStartAfterTheEndWithNoFigures) {
    late_fee_input in;
    in.amount_due = money{1234567, 2};
    in.start_date = *parse_date_text("2001-05-02");
    in.end_date = *parse_date_text("2001-05-01");
    EXPECT_EQ(compute_late_fee(in).error(), fee_error::start_after_end);

    // By day counts the dates play no part, whatever their order.
    in.mode = entry_mode::by_days;
    in.days_before = 1;
    EXPECT_TRUE(compute_late_fee(in).ok());
}

TEST(ComputeLateFee, ReportsWhatItCannotComputeExactly) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    late_fee_input in;
    in.mode = entry_mode::by_days;
    in.amount_due = money{max, 2};
    in.days_before = max;
    EXPECT_EQ(compute_late_fee(in).error(), fee_error::out_of_range);

    in.days_before = 1;
    in.days_after = max;
    EXPECT_EQ(compute_late_fee(in).error(), fee_error::out_of_range);

    in.mode = entry_mode::by_dates;
    in.start_date = date{std::chrono::year{2001}, std::chrono::February, std::chrono::day{29}};
    in.end_date = *parse_date_text("2001-05-01");
    EXPECT_EQ(compute_late_fee(in).error(), fee_error::invalid_date);
}

} // namespace
} // namespace orvandel::calc
