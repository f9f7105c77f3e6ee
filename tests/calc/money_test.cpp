#include "calc/money.h"
#include "calc/wide.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace orvandel::calc {
namespace {

struct rounding_case {
    const char* name;
    money value;
    const char* rounded;
};

class RoundMoney : public testing::TestWithParam<rounding_case> {};

TEST_P(RoundMoney, RoundsHalfAwayFromZeroToTwoPlaces) {
    const auto r = round_money(GetParam().value);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->scale, 2);
    EXPECT_EQ(default_text(*r), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundMoney,
                         testing::Values(rounding_case{"half_up", {5, 3}, "0.01"},
                                         rounding_case{"just_below_half", {49, 4}, "0.00"},
                                         rounding_case{"half_negative", {-5, 3}, "-0.01"},
                                         rounding_case{"below_half_negative", {-4999, 6}, "0.00"},
                                         rounding_case{"worked_before", {24691340, 5}, "246.91"},
                                         rounding_case{"worked_after", {55555515, 6}, "55.56"},
                                         rounding_case{"carry_into_units", {99995, 4}, "10.00"},
                                         rounding_case{
                                             "half_far_down", {12345000000000000, 16}, "1.23"},
                                         rounding_case{"extends_whole", {12, 0}, "12.00"},
                                         rounding_case{"extends_one_place", {-15, 1}, "-1.50"},
                                         rounding_case{"zero", {0, 5}, "0.00"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(RoundMoney, ReportsWhatCannotBeExtendedExactly) {
    EXPECT_EQ(round_money({std::numeric_limits<std::int64_t>::max(), 0}).error(),
              money_error::out_of_range);
    EXPECT_EQ(round_money({1, 19}).error(), money_error::bad_scale);
    EXPECT_EQ(round_money({1, -1}).error(), money_error::bad_scale);
}

struct product_case {
    const char* name;
    std::int64_t days;
    money amount;
    money rate;
    const char* fee;
};

class RoundProduct : public testing::TestWithParam<product_case> {};

TEST_P(RoundProduct, IsExactBeforeTheOneRounding) {
    const product_case& c = GetParam();
    const auto r = round_product(c.days, c.amount, c.rate);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(default_text(*r), c.fee);
}

// The widest amount (twelve integer digits) against the widest day counts:
// six typed digits, and every day from 0001-01-01 to 9999-12-31.
INSTANTIATE_TEST_SUITE_P(
    Widest, RoundProduct,
    testing::Values(
        product_case{
            "typed_days_before", 999999, {99999999999999, 2}, {2, 3}, "1999997999999980.00"},
        product_case{"typed_days_after", 999999, {99999999999999, 2}, {5, 4}, "499999499999995.00"},
        product_case{"calendar_before", 730605, {99999999999999, 2}, {2, 3}, "1461209999999985.39"},
        product_case{"calendar_after", 2921453, {99999999999999, 2}, {5, 4}, "1460726499999985.39"},
        product_case{"negative_days", -1, {250, 2}, {2, 3}, "-0.01"},
        product_case{"negative_amount", 1, {-250, 2}, {2, 3}, "-0.01"},
        product_case{"both_negative", -1, {-250, 2}, {2, 3}, "0.01"},
        product_case{"zero_days_negative_amount", 0, {-250, 2}, {2, 3}, "0.00"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RoundProduct, ReportsProductsBeyondTheExactRange) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(round_product(max, {max, 0}, {5, 4}).error(), money_error::out_of_range);
    EXPECT_EQ(round_product(max, {max, 2}, {2, 0}).error(), money_error::out_of_range);
}

#if defined(__SIZEOF_INT128__)
// The same products recomputed with the compiler's own 128-bit integers.
__extension__ typedef __int128 native_i128;
__extension__ typedef unsigned __int128 native_u128;

TEST(RoundProduct, AgreesWithNative128BitArithmetic) {
    std::mt19937_64 rng(20010501);
    std::uniform_int_distribution<std::int64_t> amounts(-99999999999999, 99999999999999);
    std::uniform_int_distribution<std::int64_t> days(-3700000, 3700000);
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t a = amounts(rng);
        const std::int64_t d = days(rng);
        const bool after = (i % 2) != 0;
        const native_i128 product = static_cast<native_i128>(a) * d * (after ? 5 : 2);
        const native_i128 divisor = after ? 10000 : 1000;
        const native_i128 mag = product < 0 ? -product : product;
        native_i128 q = mag / divisor;
        if ((mag % divisor) * 2 >= divisor) {
            ++q;
        }
        const native_i128 expected = product < 0 ? -q : q;
        const auto r = round_product(d, {a, 2}, after ? money{5, 4} : money{2, 3});
        ASSERT_TRUE(r.ok());
        ASSERT_EQ(r->coefficient, static_cast<std::int64_t>(expected)) << a << " x " << d;
    }
}

// The portable product used where the compiler has no 128-bit type.
TEST(WideMultiply, HalvesAgreeWithTheNativeProduct) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t a = i < 4 ? ~std::uint64_t{0} >> i : rng();
        const std::uint64_t b = i < 4 ? ~std::uint64_t{0} : rng() >> (i % 64);
        const auto expected = static_cast<native_u128>(a) * b;
        const detail::u128 p = detail::multiply_by_halves(a, b);
        ASSERT_EQ(p.hi, static_cast<std::uint64_t>(expected >> 64U)) << a << " x " << b;
        ASSERT_EQ(p.lo, static_cast<std::uint64_t>(expected)) << a << " x " << b;
    }
}
#endif

TEST(AddMoney, AlignsScalesExactlyAndReportsOverflow) {
    EXPECT_EQ(default_text(*add_money({12, 0}, {30247, 2})), "314.47");
    EXPECT_EQ(default_text(*add_money({-5, 1}, {25, 2})), "-0.25");
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(add_money({max, 2}, {1, 2}).error(), money_error::out_of_range);
    EXPECT_EQ(add_money({max / 5, 0}, {1, 2}).error(), money_error::out_of_range);
}

TEST(DefaultText, IsPlainDecimalAtTheValuesScale) {
    EXPECT_EQ(default_text(money{24691, 2}), "246.91");
    EXPECT_EQ(default_text(money{40, 2}), "0.40");
    EXPECT_EQ(default_text(money{-7, 3}), "-0.007");
    EXPECT_EQ(default_text(money{30, 0}), "30");
    EXPECT_EQ(default_text(money{std::numeric_limits<std::int64_t>::min(), 0}),
              "-9223372036854775808");
}

} // namespace
} // namespace orvandel::calc
