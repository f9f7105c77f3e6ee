#include "sheet/row.h"

#include "calc/money.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

namespace orvandel::sheet {
namespace {

using namespace std::chrono_literals;

calc::date day(int y, unsigned m, unsigned d) {
    return calc::date{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

std::string cents(const calc::money& m) {
    return calc::default_text(m);
}

// Rows that compute: the same period given by each pair gives the same
// figures; paid on or before the due date is no error but zero.
TEST(EvaluateRow, ComputesEachPair) {
    struct row_case {
        const char* name;
        row_texts cells;
        calc::day_count before, after;
        const char* total_fee;
        const char* chinese_note;
        const char* one_more_day;
    };
    const row_case cases[] = {
        {"start_end",
         {.amount = "12345.67", .start_date = "2001-04-21", .end_date = "2001-05-10"},
         10,
         9,
         "302.47",
         "",
         "6.17"},
        {"due_paid",
         {.amount = "12345.67", .due_date = "2001-04-20", .pay_date = "2001-05-09"},
         10,
         9,
         "302.47",
         "",
         "6.17"},
        {"day_counts",
         {.amount = "12345.67", .days_before = "10", .days_after = "009"},
         10,
         9,
         "302.47",
         "",
         "6.17"},
        {"paid_on_the_due_date",
         {.amount = "1000", .due_date = "2001-05-09", .pay_date = "2001-05-09"},
         0,
         0,
         "0.00",
         "未逾期",
         "0.50"},
        {"paid_before_the_due_date",
         {.amount = "1000", .due_date = "2001-05-09", .pay_date = "2000-01-01"},
         0,
         0,
         "0.00",
         "未逾期",
         "0.00"},
        {"due_on_the_eve_of_the_change",
         {.amount = "1000", .due_date = "2001-04-30", .pay_date = "2001-05-01"},
         0,
         1,
         "0.50",
         "",
         "0.50"},
        {"paid_on_the_eve_of_the_change",
         {.amount = "1000", .due_date = "2001-04-29", .pay_date = "2001-04-30"},
         1,
         0,
         "2.00",
         "",
         "0.50"},
        {"paid_on_the_last_day",
         {.amount = "1000", .due_date = "9999-12-29", .pay_date = "9999-12-31"},
         0,
         2,
         "1.00",
         "",
         "0.50"},
        {"start_end_to_the_last_day",
         {.amount = "1000", .start_date = "9999-12-30", .end_date = "9999-12-31"},
         0,
         1,
         "0.50",
         "",
         "0.50"},
        {"same_start_and_end",
         {.amount = ".5", .start_date = "2001-05-01", .end_date = "2001-05-01"},
         0,
         0,
         "0.00",
         "",
         "0.00"},
        {"widest_amount_longest_period",
         {.amount = "999999999999.99", .due_date = "0001-01-01", .pay_date = "9999-12-31"},
         730604,
         2921454,
         "2921934999999970.78",
         "",
         "500000000.00"},
    };
    for (const row_case& c : cases) {
        SCOPED_TRACE(c.name);
        const row_outcome r = evaluate_row(c.cells);
        ASSERT_TRUE(r.ok) << describe(r, language::english);
        EXPECT_EQ(r.figures.days_before, c.before);
        EXPECT_EQ(r.figures.days_after, c.after);
        EXPECT_EQ(r.figures.total_days, c.before + c.after);
        EXPECT_EQ(cents(r.figures.total_fee), c.total_fee);
        EXPECT_EQ(describe(r, language::english), "");
        EXPECT_EQ(describe(r, language::chinese), c.chinese_note);
        const auto more = one_more_day(r);
        ASSERT_TRUE(more);
        EXPECT_EQ(cents(*more), c.one_more_day);
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

// The law's period (due, paid] is the form's [due + 1, paid + 1): over many
// random pairs of dates both give the same figures, and the days counted are
// paid - due when overdue and none otherwise.
TEST(EvaluateRow, DueAndPaidIsTheFormsPeriodShiftedByADay) {
    std::mt19937 random(20010501);
    const auto base = std::chrono::sys_days{day(1999, 1, 1)};
    for (int i = 0; i < 2000; ++i) {
        const calc::date due{base + std::chrono::days{random() % 1500}};
        const calc::date paid{base + std::chrono::days{random() % 1500}};
        const std::string due_text = *calc::format_date_text(due);
        const std::string paid_text = *calc::format_date_text(paid);
        const row_outcome r =
            evaluate_row({.amount = "777.77", .due_date = due_text, .pay_date = paid_text});
        ASSERT_TRUE(r.ok);
        const auto overdue = calc::days_between(due, paid);
        EXPECT_EQ(r.not_overdue, overdue <= 0);
        EXPECT_EQ(r.figures.total_days, overdue > 0 ? overdue : 0);
        if (overdue <= 0) {
            continue;
        }
        const std::string start =
            *calc::format_date_text(calc::date{std::chrono::sys_days{due} + std::chrono::days{1}});
        const std::string end =
            *calc::format_date_text(calc::date{std::chrono::sys_days{paid} + std::chrono::days{1}});
        const row_outcome form =
            evaluate_row({.amount = "777.77", .start_date = start, .end_date = end});
        ASSERT_TRUE(form.ok);
        EXPECT_EQ(form.figures.days_before, r.figures.days_before) << due_text << " " << paid_text;
        EXPECT_EQ(form.figures.total_fee, r.figures.total_fee) << due_text << " " << paid_text;
    }
}

} // namespace
} // namespace orvandel::sheet
