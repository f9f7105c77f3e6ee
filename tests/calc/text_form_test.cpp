#include "calc/form_text.h"
#include "calc/text_form.h"

#include <gtest/gtest.h>

#include <string>

namespace orvandel::calc {
namespace {

struct amount_case {
    const char* name;
    const char* text;
    const char* value; // default text when read, nullptr when an error
    number_text_error error;
};

class ParseAmountText : public testing::TestWithParam<amount_case> {};

TEST_P(ParseAmountText, ReadsTheFieldsFormOrSaysWhatIsWrong) {
    const amount_case& c = GetParam();
    const auto r = parse_amount_text(c.text);
    if (c.value != nullptr) {
        ASSERT_TRUE(r.ok()) << c.text;
        EXPECT_EQ(default_text(*r), c.value);
    } else {
        ASSERT_FALSE(r.ok()) << c.text;
        EXPECT_EQ(r.error(), c.error);
    }
}

constexpr auto nan = number_text_error::not_a_number;

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseAmountText,
    testing::Values(
        amount_case{"picture_zero", ".00", "0.00", {}},
        amount_case{"picture_half", ".50", "0.50", {}},
        amount_case{"plain", "12345.67", "12345.67", {}}, amount_case{"whole", "12", "12", {}},
        amount_case{"one_decimal", "1.5", "1.5", {}}, amount_case{"trailing_point", "5.", "5", {}},
        amount_case{"leading_zero", "030", "30", {}},
        amount_case{"twelve_digits", "999999999999.99", "999999999999.99", {}},
        amount_case{"empty", "", nullptr, number_text_error::empty},
        amount_case{"point_only", ".", nullptr, nan}, amount_case{"sign", "-1.00", nullptr, nan},
        amount_case{"plus", "+1", nullptr, nan}, amount_case{"exponent", "1e5", nullptr, nan},
        amount_case{"grouping", "1,234.00", nullptr, nan},
        amount_case{"blank", " 1.00", nullptr, nan},
        amount_case{"two_points", "1.2.3", nullptr, nan},
        amount_case{"letters", "abc", nullptr, nan},
        amount_case{"thirteen_digits", "1000000000000", nullptr,
                    number_text_error::too_many_integer_digits},
        amount_case{"three_decimals", "1.005", nullptr, number_text_error::too_many_decimals}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ParseDayCountText, TakesOneToSixDigits) {
    EXPECT_EQ(*parse_day_count_text("030"), 30);
    EXPECT_EQ(*parse_day_count_text("000000"), 0);
    EXPECT_EQ(*parse_day_count_text("999999"), 999999);
    EXPECT_EQ(parse_day_count_text("").error(), number_text_error::empty);
    EXPECT_EQ(parse_day_count_text("1000000").error(), number_text_error::too_many_integer_digits);
    EXPECT_EQ(parse_day_count_text("1.0").error(), number_text_error::not_a_number);
    EXPECT_EQ(parse_day_count_text("5.").error(), number_text_error::not_a_number);
    EXPECT_EQ(parse_day_count_text("-1").error(), number_text_error::not_a_number);
}

TEST(ParseDecimalText, ReportsCoefficientsBeyondSixtyFourBits) {
    EXPECT_EQ(parse_decimal_text("99999999999999999999", 30, 0).error(),
              number_text_error::too_many_integer_digits);
}

TEST(MoneyPictureText, PrintsTwoDecimalsAndNoLeadingZero) {
    EXPECT_EQ(money_picture_text(money{0, 2}), ".00");
    EXPECT_EQ(money_picture_text(money{0, 0}), ".00");
    EXPECT_EQ(money_picture_text(money{40, 2}), ".40");
    EXPECT_EQ(money_picture_text(money{-40, 2}), "-.40");
    EXPECT_EQ(money_picture_text(money{1234565, 2}), "12345.65");
    EXPECT_EQ(money_picture_text(money{12, 0}), "12.00");
    EXPECT_EQ(money_picture_text(money{15, 1}), "1.50");
    EXPECT_EQ(money_picture_text(money{1005, 3}), "1.01");
    // More integer digits than the nine of the total's picture: all shown.
    EXPECT_EQ(money_picture_text(money{99999999999999, 2}), "999999999999.99");
    EXPECT_EQ(money_picture_text(money{INT64_MAX, 0}), "#");
}

TEST(CountPictureText, IsTheWholeNumber) {
    EXPECT_EQ(count_picture_text(0), "0");
    EXPECT_EQ(count_picture_text(30), "30");
    EXPECT_EQ(default_text(day_count{30}), "30");
}

TEST(FormulaText, WritesTheFiguresAfterTheFormula) {
    EXPECT_EQ(form_text::formula_before("12345.67", "10", money{24691, 2}),
              "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=12345.67*10*0.002=246.91");
    EXPECT_EQ(form_text::formula_after("12345.67", "9", money{5556, 2}),
              "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=12345.67*9*0.0005=55.56");
    EXPECT_EQ(form_text::formula_before(".00", "0", money{0, 2}),
              "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=.00*0*0.002=0.00");
}

} // namespace
} // namespace orvandel::calc
