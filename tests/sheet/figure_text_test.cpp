#include "sheet/figure_text.h"
#include "sheet/row.h"

#include "calc/money.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace orvandel::sheet {
namespace {

// The batch writes figures with its own formatters; they must read exactly as
// the standard texts: the engine's default text at two places, and plain
// integers. The edges are where a number gains a digit or an eight-digit word,
// and the widest values; random figures fill in between.
TEST(WriteFigures, ReadAsTheStandardTexts) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    std::vector<std::int64_t> values{0, max, std::numeric_limits<std::int64_t>::min()};
    for (std::int64_t power = 1; power > 0; power = power <= max / 10 ? power * 10 : 0) {
        for (const std::int64_t v : {power - 1, power, power + 1, 7 * power + 3}) {
            values.insert(values.end(), {v, -v});
        }
    }
    std::mt19937_64 random(20010501);
    for (int i = 0; i < 100000; ++i) {
        values.push_back(static_cast<std::int64_t>(random() >> (random() % 64)));
    }
    for (const std::int64_t v : values) {
        char text[figure_room + 8];
        ASSERT_EQ(std::string_view(text, static_cast<std::size_t>(write_count(text, v) - text)),
                  std::to_string(v));
        const calc::money cents{v, 2};
        ASSERT_EQ(std::string_view(text, static_cast<std::size_t>(write_cents(text, cents) - text)),
                  calc::default_text(cents));
        std::string out = "x";
        append_money(out, cents);
        ASSERT_EQ(out, std::string("x").append(calc::default_text(cents)));
    }
}

template <class Result> std::string_view problem_of(const Result& got) {
    return got.ok() ? "" : problem_text(got.error(), language::english);
}

// The texts each reader takes ("" as the problem) and refuses, by what is wrong.
TEST(ReadFields, AmountsAndDayCountsTakeOnlyWhatTheFieldsTake) {
    // An amount or a day count, the problem, the texts.
    const std::tuple<bool, std::string_view, std::vector<const char*>> cases[] = {
        {true, "", {"12345.67", ".00", "030", "5.", "999999999999.99"}},
        {true, "missing", {""}},
        {true, "not a number", {"-5", "1e3", "1,000", " 5", ".", "1.2.3"}},
        {true, "more than 12 integer digits", {"1000000000000"}},
        {true, "more than 2 decimals", {"1.234"}},
        {false, "", {"0", "030", "999999"}},
        {false, "missing", {""}},
        {false, "not a whole number", {"5.", "1.5", "-1"}},
        {false, "more than 6 digits", {"1000000", "0000001"}}};
    for (const auto& [amount, problem, texts] : cases) {
        for (const char* text : texts) {
            EXPECT_EQ(amount ? problem_of(read_amount(text)) : problem_of(read_day_count(text)),
                      problem)
                << '"' << text << '"';
        }
    }
}

} // namespace
} // namespace orvandel::sheet
