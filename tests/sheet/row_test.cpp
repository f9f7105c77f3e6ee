#include "sheet/row.h"

#include "calc/money.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace orvandel::sheet {
namespace {

calc::date day(int y, unsigned m, unsigned d) {
    return calc::date{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

std::string cents(const calc::money& m) {
    return calc::default_text(m);
}

// What a computed row shows, compactly: "before+after total_fee one_more_day"
// and the Chinese note when there is one.
std::string summary(const row_outcome& r) {
    const auto more = one_more_day(r);
    std::string note = describe(r, language::chinese);
    return std::to_string(r.figures.days_before) + "+" + std::to_string(r.figures.days_after) +
           " " + cents(r.figures.total_fee) + " " + (more ? cents(*more) : "none") +
           (note.empty() ? "" : " " + note);
}

// Rows that compute: the same period given by each pair gives the same
// figures; paid on or before the due date is no error but zero.
TEST(EvaluateRow, ComputesEachPair) {
    const std::tuple<const char*, row_texts, const char*> cases[] = {
        {"start_end",
         {.amount = "12345.67", .start_date = "2001-04-21", .end_date = "2001-05-10"},
         "10+9 302.47 6.17"},
        {"due_paid",
         {.amount = "12345.67", .due_date = "2001-04-20", .pay_date = "2001-05-09"},
         "10+9 302.47 6.17"},
        {"day_counts",
         {.amount = "12345.67", .days_before = "10", .days_after = "009"},
         "10+9 302.47 6.17"},
        {"paid_on_the_due_date",
         {.amount = "1000", .due_date = "2001-05-09", .pay_date = "2001-05-09"},
         "0+0 0.00 0.50 未逾期"},
        {"paid_before_the_due_date",
         {.amount = "1000", .due_date = "2001-05-09", .pay_date = "2000-01-01"},
         "0+0 0.00 0.00 未逾期"},
        {"due_on_the_eve_of_the_change",
         {.amount = "1000", .due_date = "2001-04-30", .pay_date = "2001-05-01"},
         "0+1 0.50 0.50"},
        {"paid_on_the_eve_of_the_change",
         {.amount = "1000", .due_date = "2001-04-29", .pay_date = "2001-04-30"},
         "1+0 2.00 0.50"},
        {"paid_on_the_last_day",
         {.amount = "1000", .due_date = "9999-12-29", .pay_date = "9999-12-31"},
         "0+2 1.00 0.50"},
        {"same_start_and_end",
         {.amount = ".5", .start_date = "2001-05-01", .end_date = "2001-05-01"},
         "0+0 0.00 0.00"},
        {"widest_amount_longest_period",
         {.amount = "999999999999.99", .due_date = "0001-01-01", .pay_date = "9999-12-31"},
         "730604+2921454 2921934999999970.78 500000000.00"},
    };
    for (const auto& [name, cells, expected] : cases) {
        SCOPED_TRACE(name);
        const row_outcome r = evaluate_row(cells);
        ASSERT_TRUE(r.ok) << describe(r, language::english);
        EXPECT_EQ(r.figures.total_days, r.figures.days_before + r.figures.days_after);
        EXPECT_EQ(describe(r, language::english), "");
        EXPECT_EQ(summary(r), expected);
    }
}

// Rows without figures: each problem, in the batch's words and in Chinese.
TEST(EvaluateRow, SaysWhatIsWrong) {
    constexpr pair_set batch_pairs =
        pair_bit(period_basis::start_and_end) | pair_bit(period_basis::day_counts);
    const std::tuple<const char*, row_texts, const char*, const char*> cases[] = {
        {"amount_missing",
         {.start_date = "2001-04-21", .end_date = "2001-05-10"},
         "amount: missing",
         "应缴税款金额：未填写"},
        {"amount_not_a_number",
         {.amount = "1,000", .days_before = "1", .days_after = "1"},
         "amount: not a number",
         "应缴税款金额：不是数字"},
        {"amount_too_wide",
         {.amount = "1234567890123", .days_before = "1", .days_after = "1"},
         "amount: more than 12 integer digits",
         "应缴税款金额：整数部分超过12位"},
        {"amount_too_fine",
         {.amount = "1.005", .days_before = "1", .days_after = "1"},
         "amount: more than 2 decimals",
         "应缴税款金额：小数超过2位"},
        {"days_not_whole",
         {.amount = "1", .days_before = "5.", .days_after = ""},
         "days_before: not a whole number; days_after: missing",
         "2001年04月30日前滞纳天数：不是整数；2001年05月01日后滞纳天数：未填写"},
        {"days_too_many_digits",
         {.amount = "x", .days_before = "0", .days_after = "1234567"},
         "amount: not a number; days_after: more than 6 digits",
         "应缴税款金额：不是数字；2001年05月01日后滞纳天数：超过6位"},
        {"date_bad_form",
         {.amount = "1", .start_date = "2001-5-1", .end_date = "2001-02-29"},
         "start_date: not a yyyy-mm-dd date; end_date: no such day",
         "起始日期：不是yyyy-mm-dd格式的日期；终止日期：没有这一天"},
        {"start_after_end",
         {.amount = "1", .start_date = "2001-05-02", .end_date = "2001-05-01"},
         "start_date: later than the end date",
         "起始日期：晚于终止日期"},
        {"due_missing",
         {.amount = "1", .pay_date = "2001-05-01"},
         "due_date: missing",
         "缴款期限：未填写"},
        {"pay_missing_without_payment_date",
         {.amount = "1", .due_date = "2001-05-01"},
         "pay_date: missing",
         "实际缴款日期：未填写"},
        {"start_and_days",
         {.amount = "1", .start_date = "2001-04-21", .days_after = "1", .offered = batch_pairs},
         "start_date/end_date and days_before/days_after: give only one of the two pairs",
         "起始日期/终止日期和2001年04月30日前滞纳天数/2001年05月01日后滞纳天数：只能填写其中一组"},
        {"due_and_start",
         {.amount = "1", .pay_date = "2001-04-21", .end_date = "2001-05-01"},
         "due_date/pay_date and start_date/end_date: give only one of the two pairs",
         "缴款期限/实际缴款日期和起始日期/终止日期：只能填写其中一组"},
        {"all_three",
         {.amount = "1", .due_date = "2001-04-21", .start_date = "x", .days_before = "1"},
         "due_date/pay_date, start_date/end_date and days_before/days_after: give only one of "
         "the three pairs",
         "缴款期限/实际缴款日期、起始日期/终止日期和2001年04月30日前滞纳天数/"
         "2001年05月01日后滞纳天数：只能填写其中一组"},
        {"no_period_in_the_batch",
         {.amount = "1", .offered = batch_pairs},
         "start_date/end_date or days_before/days_after: missing",
         "起始日期/终止日期或2001年04月30日前滞纳天数/2001年05月01日后滞纳天数：未填写"},
        {"no_period_anywhere",
         {.amount = ""},
         "amount: missing; due_date/pay_date, start_date/end_date or days_before/days_after: "
         "missing",
         "应缴税款金额：未填写；缴款期限/实际缴款日期、起始日期/终止日期或"
         "2001年04月30日前滞纳天数/2001年05月01日后滞纳天数：未填写"},
    };
    for (const auto& [name, cells, english, chinese] : cases) {
        SCOPED_TRACE(name);
        const row_outcome r = evaluate_row(cells);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(describe(r, language::english), english);
        EXPECT_EQ(describe(r, language::chinese), chinese);
        EXPECT_FALSE(one_more_day(r));
    }
}

// The sheet's payment date stands in for an empty pay date only: a pay date
// given wins, and a row of day counts is not made a dated row by it.
TEST(EvaluateRow, PaymentDateFillsOnlyAnEmptyPayDate) {
    const calc::date payment = day(2001, 5, 9);
    const std::tuple<const char*, row_texts, calc::day_count> cases[] = {
        {"empty_pay_date", {.amount = "100", .due_date = "2001-04-20"}, 19},
        {"pay_date_given",
         {.amount = "100", .due_date = "2001-04-20", .pay_date = "2001-04-30"},
         10},
        {"day_counts", {.amount = "100", .days_before = "1", .days_after = "2"}, 3},
    };
    for (const auto& [name, cells, total_days] : cases) {
        SCOPED_TRACE(name);
        const row_outcome r = evaluate_row(cells, payment);
        ASSERT_TRUE(r.ok) << describe(r, language::english);
        EXPECT_EQ(r.figures.total_days, total_days);
    }
    EXPECT_FALSE(evaluate_row({.amount = "100", .pay_date = "2001-04-30"}, payment).ok);
}

// The 税款所属期 fills an empty 缴款期限 from the filing calendar, a typed one
// stands and is checked, and nothing is guessed. Published 2024: May the
// 22nd, April the 18th; 2019-01 is derived: the 26th of February by the
// working-day rule, the 22nd by the calendar rule.
TEST(EvaluateRow, TakesTheDeadlineFromTheTaxPeriod) {
    const std::string notice = "《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》";
    const std::tuple<const char*, row_texts, std::string, std::string> cases[] = {
        {"month_filled",
         {.amount = "1000", .pay_date = "2024-06-03", .tax_period = "2024-04"},
         "0+12 6.00 0.50 缴款期限：" + notice,
         "due_date from " + notice},
        {"quarter_filled",
         {.amount = "1000", .pay_date = "2024-06-03", .tax_period = "2024Q1"},
         "0+46 23.00 0.50 缴款期限：" + notice,
         "due_date from " + notice},
        {"derived_the_rules_differ",
         {.amount = "1000", .pay_date = "2019-03-01", .tax_period = "2019-01"},
         "0+3 1.50 0.50 缴款期限为推算（另一算法：2月22日）",
         "due_date derived (推算; other rule: 2019-02-22)"},
        {"typed_the_same",
         {.amount = "1000",
          .due_date = "2024-05-22",
          .pay_date = "2024-06-03",
          .tax_period = "2024-04"},
         "0+12 6.00 0.50 缴款期限：" + notice,
         "due_date from " + notice},
        {"typed_another_day_stands",
         {.amount = "1000",
          .due_date = "2024-05-20",
          .pay_date = "2024-06-03",
          .tax_period = "2024-04"},
         "0+14 7.00 0.50 缴款期限2024-05-20与申报日历的2024-05-22不同（" + notice +
             "），按填写的日期计算",
         "due_date 2024-05-20 differs from the filing calendar's 2024-05-22 (" + notice +
             "); the date given is used"},
        {"typed_over_a_derived_day",
         {.amount = "1000",
          .due_date = "2019-02-22",
          .pay_date = "2019-03-01",
          .tax_period = "2019-01"},
         "0+7 3.50 0.50 缴款期限2019-02-22与推算的2019-02-26不同（另一算法：2月22日），"
         "按填写的日期计算",
         "due_date 2019-02-22 differs from the derived 2019-02-26 (推算; other rule: "
         "2019-02-22); the date given is used"},
        {"typed_in_a_year_without_data",
         {.amount = "1000",
          .due_date = "2027-01-15",
          .pay_date = "2027-01-20",
          .tax_period = "2026-12"},
         "0+5 2.50 0.50",
         ""},
        {"paid_in_time",
         {.amount = "1000", .pay_date = "2024-05-22", .tax_period = "2024-04"},
         "0+0 0.00 0.50 未逾期；缴款期限：" + notice,
         "due_date from " + notice},
        // A row by the form's dates or by day counts keeps the period as a label.
        {"label_beside_start_and_end",
         {.amount = "1000",
          .start_date = "2024-05-23",
          .end_date = "2024-06-04",
          .tax_period = "not a period"},
         "0+12 6.00 0.50",
         ""},
        {"label_beside_day_counts",
         {.amount = "1000", .days_before = "0", .days_after = "12", .tax_period = "2024-04"},
         "0+12 6.00 0.50",
         ""},
    };
    for (const auto& [name, cells, chinese, english] : cases) {
        SCOPED_TRACE(name);
        const row_outcome r = evaluate_row(cells);
        ASSERT_TRUE(r.ok) << describe(r, language::english);
        EXPECT_EQ(summary(r), chinese);
        EXPECT_EQ(describe(r, language::english), english);
    }
}

// A period that cannot give the deadline leaves the row without figures, in
// both languages, and names no missing 缴款期限 besides.
TEST(EvaluateRow, SaysWhyATaxPeriodGivesNoDeadline) {
    const std::tuple<const char*, row_texts, const char*, const char*> cases[] = {
        {"no_data",
         {.amount = "1000", .pay_date = "2027-03-01", .tax_period = "2026-12"},
         "tax_period: no filing calendar or holiday data for 2027; type the due_date",
         "税款所属期：缴款期限在2027年，没有申报日历或节假日数据，请填写缴款期限"},
        {"no_data_before_the_holidays",
         {.amount = "1000", .pay_date = "2004-03-01", .tax_period = "2003Q3"},
         "tax_period: no filing calendar or holiday data for 2003; type the due_date",
         "税款所属期：缴款期限在2003年，没有申报日历或节假日数据，请填写缴款期限"},
        {"no_such_month",
         {.amount = "1000", .pay_date = "2024-06-03", .tax_period = "2024-13"},
         "tax_period: no such period",
         "税款所属期：没有这个所属期"},
        // A date pasted one column too far left is no period, even beside a
        // typed 缴款期限.
        {"a_date_beside_a_typed_deadline",
         {.amount = "1000", .due_date = "2024-06-03", .tax_period = "2024-05-15"},
         "tax_period: not a tax period (2024-04, 2024年4月, 2024Q1 or 2024年第1季度); "
         "pay_date: missing",
         "税款所属期：不是税款所属期（2024-04、2024年4月、2024Q1或2024年第1季度）；"
         "实际缴款日期：未填写"},
        {"a_bad_typed_deadline_is_told_alone",
         {.amount = "1000",
          .due_date = "2024-5-20",
          .pay_date = "2024-06-03",
          .tax_period = "2024-04"},
         "due_date: not a yyyy-mm-dd date",
         "缴款期限：不是yyyy-mm-dd格式的日期"},
        {"filled_but_not_paid",
         {.amount = "1000", .tax_period = "2024-04"},
         "pay_date: missing",
         "实际缴款日期：未填写"},
        {"beside_a_second_pair",
         {.amount = "1000",
          .due_date = "2024-05-22",
          .start_date = "2024-05-23",
          .tax_period = "2024-04"},
         "due_date/pay_date and start_date/end_date: give only one of the two pairs",
         "缴款期限/实际缴款日期和起始日期/终止日期：只能填写其中一组"},
    };
    for (const auto& [name, cells, english, chinese] : cases) {
        SCOPED_TRACE(name);
        const row_outcome r = evaluate_row(cells);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(describe(r, language::english), english);
        EXPECT_EQ(describe(r, language::chinese), chinese);
    }
    // The sheet's payment date completes a row that gives only its period.
    const row_outcome paid =
        evaluate_row({.amount = "1000", .tax_period = "2024-04"}, day(2024, 6, 3));
    ASSERT_TRUE(paid.ok);
    EXPECT_EQ(paid.figures.total_days, 12);
    EXPECT_EQ(paid.deadline.origin, deadline_origin::filled);
}

} // namespace
} // namespace orvandel::sheet
