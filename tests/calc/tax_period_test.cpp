#include "calc/tax_period.h"

#include <gtest/gtest.h>

#include <string>

namespace orvandel::calc {
namespace {

using namespace std::chrono;

// Each accepted text, the period it names in both written forms, and the
// month its tax falls due in (across the end of the year for December and Q4).
TEST(TaxPeriod, ReadsTheFourFormsAndKnowsTheDueMonth) {
    const struct {
        const char* text;
        const char* canonical;
        const char* chinese;
        year_month due;
    } cases[] = {
        {"2024-04", "2024-04", "2024年4月", 2024y / May},
        {"2024年4月", "2024-04", "2024年4月", 2024y / May},
        {"2024年04月", "2024-04", "2024年4月", 2024y / May},
        {"2024年12月", "2024-12", "2024年12月", 2025y / January},
        {"2001-01", "2001-01", "2001年1月", 2001y / February},
        {"2024Q1", "2024Q1", "2024年第1季度", 2024y / April},
        {"2024q2", "2024Q2", "2024年第2季度", 2024y / July},
        {"2024年第3季度", "2024Q3", "2024年第3季度", 2024y / October},
        {"2024年第4季度", "2024Q4", "2024年第4季度", 2025y / January},
        {"0001-01", "0001-01", "0001年1月", 1y / February},
        {"9999Q4", "9999Q4", "9999年第4季度", year{10000} / January},
    };
    for (const auto& c : cases) {
        const auto period = parse_tax_period(c.text);
        ASSERT_TRUE(period.ok()) << c.text;
        EXPECT_EQ(format_tax_period(*period), c.canonical) << c.text;
        EXPECT_EQ(chinese_tax_period(*period), c.chinese) << c.text;
        EXPECT_EQ(due_month(*period), c.due) << c.text;
        const auto again = parse_tax_period(format_tax_period(*period));
        ASSERT_TRUE(again.ok()) << c.text;
        EXPECT_EQ(*again, *period) << c.text;
    }
}

TEST(TaxPeriod, RefusesOtherTextsWithTheReason) {
    const struct {
        const char* text;
        tax_period_error error;
    } cases[] = {
        {"", tax_period_error::empty},
        {"2024-00", tax_period_error::no_such_period},
        {"2024-13", tax_period_error::no_such_period},
        {"0000-01", tax_period_error::no_such_period},
        {"2024年0月", tax_period_error::no_such_period},
        {"2024年13月", tax_period_error::no_such_period},
        {"2024Q0", tax_period_error::no_such_period},
        {"2024Q5", tax_period_error::no_such_period},
        {"2024年第5季度", tax_period_error::no_such_period},
        {"2024-4", tax_period_error::bad_form},
        {"2024/04", tax_period_error::bad_form},
        {"202404", tax_period_error::bad_form},
        {" 2024-04", tax_period_error::bad_form},
        {"2024-04 ", tax_period_error::bad_form},
        {"2024-+4", tax_period_error::bad_form},
        {"24-04", tax_period_error::bad_form},
        {"2024Q", tax_period_error::bad_form},
        {"2024Q12", tax_period_error::bad_form},
        {"2024-Q1", tax_period_error::bad_form},
        {"2024年月", tax_period_error::bad_form},
        {"2024年", tax_period_error::bad_form},
        {"2024年004月", tax_period_error::bad_form},
        {"2024年4", tax_period_error::bad_form},
        {"2024年四月", tax_period_error::bad_form},
        {"2024年1季度", tax_period_error::bad_form},
        {"2024年第季度", tax_period_error::bad_form},
        {"2024年第一季度", tax_period_error::bad_form},
        {"2024年第12季度", tax_period_error::bad_form},
        {"２０２４年4月", tax_period_error::bad_form},
        {"二〇二四年4月", tax_period_error::bad_form},
        {"abcd-04", tax_period_error::bad_form},
    };
    for (const auto& c : cases) {
        const auto period = parse_tax_period(c.text);
        ASSERT_FALSE(period.ok()) << c.text;
        EXPECT_EQ(period.error(), c.error) << c.text;
    }
}

} // namespace
} // namespace orvandel::calc
