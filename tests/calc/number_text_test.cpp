#include "calc/form_labels.h"
#include "calc/number_text.h"

#include <gtest/gtest.h>

namespace orvandel::calc {
namespace {

TEST(ParseAmountText, ReadsTheFieldsFormOrSaysWhatIsWrong) {
    const struct {
        const char* text;
        const char* read;
    } readable[] = {{".00", "0.00"}, {"12345.67", "12345.67"},
                    {"1.5", "1.5"},  {"5.", "5"},
                    {"030", "30"},   {"999999999999.99", "999999999999.99"}};
    for (const auto& c : readable) {
        const auto r = parse_amount_text(c.text);
        ASSERT_TRUE(r.ok()) << c.text;
        EXPECT_EQ(default_text(*r), c.read);
    }
    using enum number_text_error;
    const struct {
        const char* text;
        number_text_error error;
    } unreadable[] = {{"", empty},
                      {".", not_a_number},
                      {"-1.00", not_a_number},
                      {"+1", not_a_number},
                      {"1e5", not_a_number},
                      {"1,234.00", not_a_number},
                      {" 1", not_a_number},
                      {"1.2.3", not_a_number},
                      {"1000000000000", too_many_integer_digits},
                      {"1.005", too_many_decimals}};
    for (const auto& c : unreadable) {
        const auto r = parse_amount_text(c.text);
        ASSERT_FALSE(r.ok()) << c.text;
        EXPECT_EQ(r.error(), c.error) << c.text;
    }
    EXPECT_EQ(parse_decimal_text("99999999999999999999", 30, 0).error(), too_many_integer_digits);
}

TEST(ParseDayCountText, TakesOneToSixDigitsAndNothingElse) {
    EXPECT_EQ(*parse_day_count_text("030"), 30);
    EXPECT_EQ(*parse_day_count_text("999999"), 999999);
    EXPECT_EQ(parse_day_count_text("").error(), number_text_error::empty);
    EXPECT_EQ(parse_day_count_text("1000000").error(), number_text_error::too_many_integer_digits);
    for (const char* text : {"5.", "1.0", "-1", "1 "}) {
        EXPECT_EQ(parse_day_count_text(text).error(), number_text_error::not_a_number) << text;
    }
}

TEST(MoneyPictureText, PrintsTwoDecimalsAndNoLeadingZero) {
    const struct {
        money value;
        const char* shown;
    } cases[] = {{{0, 2}, ".00"},
                 {{0, 0}, ".00"},
                 {{40, 2}, ".40"},
                 {{-40, 2}, "-.40"},
                 {{1234565, 2}, "12345.65"},
                 {{12, 0}, "12.00"},
                 {{1005, 3}, "1.01"},
                 // More integer digits than the nine of the total's picture: all shown.
                 {{99999999999999, 2}, "999999999999.99"},
                 {{INT64_MAX, 0}, "#"}};
    for (const auto& c : cases) {
        EXPECT_EQ(money_picture_text(c.value), c.shown) << default_text(c.value);
    }
    EXPECT_EQ(count_picture_text(0), "0");
    EXPECT_EQ(default_text(money{40, 2}), "0.40");
}

TEST(FormulaText, WritesTheFiguresAfterTheFormula) {
    EXPECT_EQ(form_labels::formula_before("12345.67", "10", money{24691, 2}),
              "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=12345.67*10*0.002=246.91");
    EXPECT_EQ(form_labels::formula_after(".00", "0", money{0, 2}),
              "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=.00*0*0.0005=0.00");
}

} // namespace
} // namespace orvandel::calc
