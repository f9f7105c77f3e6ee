#include "field_text.h"

#include "calc/money.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::cli {
namespace {

// The batch writes figures with its own formatter; it must read exactly as
// the engine's default text of the same figure at two places.
TEST(AppendMoney, WritesTheDefaultTextAtTwoPlaces) {
    const calc::money cases[] = {
        {0, 2},
        {5, 2},
        {40, 2},
        {99, 2},
        {100, 2},
        {24691, 2},
        {-150, 2},
        {-5, 2},
        {1234567, 0},
        {5, 1},
        {std::numeric_limits<std::int64_t>::max(), 2},
        {std::numeric_limits<std::int64_t>::min(), 2},
        {999999999999, 0},
    };
    for (const calc::money& m : cases) {
        std::string out = "x";
        append_money(out, m);
        EXPECT_EQ(out, std::string("x").append(calc::default_text(at_two_places(m))))
            << m.coefficient;
        EXPECT_EQ(at_two_places(m).scale, 2);
    }
    std::mt19937_64 random(20010501);
    for (int i = 0; i < 100000; ++i) {
        const calc::money m{static_cast<std::int64_t>(random() >> (random() % 64)), 2};
        std::string out;
        append_money(out, m);
        ASSERT_EQ(out, calc::default_text(m)) << m.coefficient;
    }
}

struct problem_case {
    const char* text;
    const char* problem; // nullptr when the text is read
};

template <class Read, std::size_t N>
void expect_problems(Read read, const problem_case (&cases)[N]) {
    for (const problem_case& c : cases) {
        const auto got = read(c.text);
        if (c.problem == nullptr) {
            EXPECT_TRUE(got.ok()) << '"' << c.text << "\": " << (got.ok() ? "" : got.error());
        } else {
            ASSERT_FALSE(got.ok()) << '"' << c.text << '"';
            EXPECT_EQ(got.error(), c.problem) << '"' << c.text << '"';
        }
    }
}

// Every figure's text is written in words of eight digits; the edges are
// where a number gains a digit or a word, and the widest values.
TEST(WriteFigures, ReadAsTheStandardTextsAtEveryDigitCount) {
    std::vector<std::int64_t> values{0, std::numeric_limits<std::int64_t>::max(),
                                     std::numeric_limits<std::int64_t>::min()};
    std::int64_t power = 1;
    for (int digits = 1; digits <= 19; ++digits) {
        for (const std::int64_t v : {power - 1, power, power + 1, 7 * power + 3}) {
            values.push_back(v);
            values.push_back(-v);
        }
        power = digits < 19 ? power * 10 : power;
    }
    for (const std::int64_t v : values) {
        char text[figure_room + 8];
        EXPECT_EQ(std::string_view(text, static_cast<std::size_t>(write_count(text, v) - text)),
                  std::to_string(v));
        const calc::money cents{v, 2};
        EXPECT_EQ(std::string_view(text, static_cast<std::size_t>(write_cents(text, cents) - text)),
                  calc::default_text(cents));
    }
}

TEST(ReadFields, AmountTakesWhatTheAmountFieldTakes) {
    const problem_case cases[] = {
        {"12345.67", nullptr},
        {".00", nullptr},
        {"030", nullptr},
        {"5.", nullptr},
        {"999999999999.99", nullptr},
        {"", "missing"},
        {"-5", "not a number"},
        {"1e3", "not a number"},
        {"1,000", "not a number"},
        {" 5", "not a number"},
        {".", "not a number"},
        {"1.2.3", "not a number"},
        {"1000000000000", "more than 12 integer digits"},
        {"1.234", "more than 2 decimals"},
    };
    expect_problems(read_amount, cases);
}

TEST(ReadFields, DayCountTakesOneToSixDigits) {
    const problem_case cases[] = {
        {"0", nullptr},
        {"030", nullptr},
        {"999999", nullptr},
        {"", "missing"},
        {"5.", "not a whole number"},
        {"1.5", "not a whole number"},
        {"-1", "not a whole number"},
        {"1000000", "more than 6 digits"},
        {"0000001", "more than 6 digits"},
    };
    expect_problems(read_day_count, cases);
}

} // namespace
} // namespace orvandel::cli
