#include "calc/money.h"
#include "calc/wide.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

namespace orvandel::calc {
namespace {

constexpr auto max64 = std::numeric_limits<std::int64_t>::max();

TEST(RoundMoney, RoundsHalfAwayFromZeroToTwoPlaces) {
    const struct {
        money value;
        const char* rounded;
    } cases[] = {
        {{5, 3}, "0.01"},          {{49, 4}, "0.00"},
        {{-5, 3}, "-0.01"},        {{-4999, 6}, "0.00"},
        {{24691340, 5}, "246.91"}, {{55555515, 6}, "55.56"},
        {{99995, 4}, "10.00"},     {{12345000000000000, 16}, "1.23"},
        {{12, 0}, "12.00"},        {{-15, 1}, "-1.50"},
        {{0, 5}, "0.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(default_text(c.value));
        const auto r = round_money(c.value);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->scale, 2);
        EXPECT_EQ(default_text(*r), c.rounded);
    }
    EXPECT_EQ(round_money({max64, 0}).error(), money_error::out_of_range);
    EXPECT_EQ(round_money({1, 19}).error(), money_error::bad_scale);
}

// The widest amount (twelve integer digits) against the widest day counts:
// six typed digits, and every day from 0001-01-01 to 9999-12-31.
TEST(RoundProduct, IsExactBeforeTheOneRounding) {
    const money widest{99999999999999, 2};
    const struct {
        std::int64_t days;
        money amount;
        money rate;
        const char* fee;
    } cases[] = {
        {999999, widest, {2, 3}, "1999997999999980.00"},
        {999999, widest, {5, 4}, "499999499999995.00"},
        {730605, widest, {2, 3}, "1461209999999985.39"},
        {2921453, widest, {5, 4}, "1460726499999985.39"},
        {-1, {250, 2}, {2, 3}, "-0.01"},
        {-1, {-250, 2}, {2, 3}, "0.01"},
        {0, {-250, 2}, {2, 3}, "0.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fee);
        EXPECT_EQ(default_text(*round_product(c.days, c.amount, c.rate)), c.fee);
    }
    EXPECT_EQ(round_product(max64, {max64, 0}, {5, 4}).error(), money_error::out_of_range);
}

TEST(AddMoney, AlignsScalesExactlyAndReportsOverflow) {
    EXPECT_EQ(default_text(*add_money({12, 0}, {30247, 2})), "314.47");
    EXPECT_EQ(default_text(*add_money({-5, 1}, {25, 2})), "-0.25");
    EXPECT_EQ(add_money({max64, 2}, {1, 2}).error(), money_error::out_of_range);
    EXPECT_EQ(add_money({max64 / 5, 0}, {1, 2}).error(), money_error::out_of_range);
}

#if defined(__SIZEOF_INT128__)
__extension__ typedef __int128 native_i128;
__extension__ typedef unsigned __int128 native_u128;

// The products recomputed with the compiler's own 128-bit integers.
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
        const native_i128 q = mag / divisor + ((mag % divisor) * 2 >= divisor ? 1 : 0);
        const auto r = round_product(d, {a, 2}, after ? money{5, 4} : money{2, 3});
        ASSERT_EQ(r->coefficient, static_cast<std::int64_t>(product < 0 ? -q : q)) << a << "x" << d;
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

} // namespace
} // namespace orvandel::calc
