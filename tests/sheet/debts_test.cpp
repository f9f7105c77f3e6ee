#include "sheet/debts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace orvandel::sheet {
namespace {

// A row of a debt as a sheet holds it: 应缴税款金额, 缴款期限, 实际缴款日期,
// 本次缴款金额, then 停止计算日期 and 适用封顶.
struct texts {
    const char* amount = "";
    const char* due = "";
    const char* paid_on = "";
    const char* paid = "";
    const char* stop = "";
    const char* cap = "";
};

row_texts cells_of(const texts& t) {
    return {.amount = t.amount,
            .due_date = t.due,
            .pay_date = t.paid_on,
            .item_id = "A1",
            .paid_amount = t.paid,
            .stop_date = t.stop,
            .apply_cap = t.cap};
}

std::vector<debt_member> members_of(const std::vector<texts>& rows) {
    std::vector<debt_member> members;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        members.push_back(read_member(cells_of(rows[r]), r));
    }
    return members;
}

std::string note_of(const std::vector<debt_member>& members, const debt_outcome& debt,
                    std::size_t m, language lang) {
    std::string out;
    append_debt_note(out, debt, members, m, "A1", "", lang);
    return out;
}

// Each row's figures as a debt's rows show them: "column=value" joined by spaces.
std::string shown(const debt_outcome& debt, std::size_t member) {
    std::string out;
    for_each_debt_figure(debt, member, [&](column c, const debt_value& v) {
        // Appended piece by piece: MinGW's GCC 12 reports a false -Wrestrict
        // for "literal" + string.
        out.append(out.empty() ? "" : " ")
            .append(column_name(c, language::english))
            .append("=")
            .append(v.is_count ? std::to_string(v.days) : calc::default_text(v.amount));
    });
    return out;
}

const std::optional<calc::date> as_of =
    calc::date{std::chrono::year{2021}, std::chrono::January, std::chrono::day{1}};

// What a row of a debt gives, read by the cells' own rules; each problem
// belongs to the row and column at fault.
TEST(DebtRows, ReadsEachRowsPart) {
    const std::tuple<const char*, texts, const char*> cases[] = {
        {"debt_row", {.amount = "100000", .due = "2019-06-15"}, ""},
        {"debt_row_with_its_stop_date_and_cap",
         {.amount = "1", .due = "2019-06-15", .stop = "2019-06-15", .cap = "是"},
         ""},
        {"debt_row_paying_too",
         {.amount = "1", .due = "2019-06-15", .paid_on = "2019-07-01", .paid = "1"},
         ""},
        {"payment_row", {.paid_on = "2019-08-01", .paid = "30000"}, ""},
        {"debt_row_without_its_due_date", {.amount = "1"}, "缴款期限：未填写"},
        {"stop_before_due",
         {.amount = "1", .due = "2019-06-15", .stop = "2019-06-14"},
         "停止计算日期：早于缴款期限"},
        {"cap_neither_yes_nor_no",
         {.amount = "1", .due = "2019-06-15", .cap = "maybe"},
         "适用封顶：应填“是”或“否”"},
        {"payment_without_its_amount", {.paid_on = "2019-08-01"}, "本次缴款金额：未填写"},
        {"payment_without_its_day", {.paid = "5"}, "实际缴款日期：未填写"},
        {"payment_of_zero", {.paid_on = "2019-08-01", .paid = "0.00"}, "本次缴款金额：应大于零"},
        {"payment_of_three_decimals",
         {.paid_on = "2019-08-01", .paid = "1.005"},
         "本次缴款金额：小数超过2位"},
        {"no_such_payment_day", {.paid_on = "2019-02-29", .paid = "1"}, "实际缴款日期：没有这一天"},
    };
    for (const auto& [name, row, expected] : cases) {
        SCOPED_TRACE(name);
        const std::vector<debt_member> members = members_of({row});
        EXPECT_EQ(members[0].problem_count == 0, std::string(expected).empty());
        const debt_outcome debt = evaluate_debt(members, as_of);
        if (members[0].problem_count > 0) {
            EXPECT_EQ(debt.status, debt_status::row_problems);
            EXPECT_EQ(note_of(members, debt, 0, language::chinese), expected);
        }
    }
    // A period or day counts have no place in a debt.
    row_texts dated{
        .amount = "1", .start_date = "2019-01-01", .end_date = "2019-02-01", .item_id = "A1"};
    EXPECT_EQ(read_member(dated, 0).problems[0].what, problem::not_in_a_debt);
    row_texts counted{.amount = "1", .due_date = "2019-01-01", .days_after = "3", .item_id = "A1"};
    EXPECT_EQ(read_member(counted, 0).problems[0].field, column::days_after);
}

// Problems of a debt as a whole: every row of the 编号 is without figures,
// and each says why, naming the 编号, in either language.
TEST(DebtRows, RefusesABadDebtNamingIt) {
    const std::tuple<const char*, std::vector<texts>, const char*, const char*> cases[] = {
        {"no_row_with_the_amount",
         {{.paid_on = "2019-08-01", .paid = "1"}},
         "编号“A1”：没有一行填写应缴税款金额",
         "item_id A1: no row gives the amount"},
        {"two_rows_with_the_amount",
         {{.amount = "1", .due = "2019-06-15"}, {.amount = "2", .due = "2019-06-15"}},
         "编号“A1”：有多行填写了应缴税款金额",
         "item_id A1: more than one row gives the amount"},
        {"tax_owed_and_no_as_of",
         {{.amount = "100", .due = "2019-06-15"}},
         "编号“A1”：最后一次缴款后仍欠税款，需要计算截止日期（缴款日期）",
         "item_id A1: tax is still owed after the last payment: give the as-of date (--as-of)"},
    };
    for (const auto& [name, rows, chinese, english] : cases) {
        SCOPED_TRACE(name);
        const std::vector<debt_member> members = members_of(rows);
        const bool with_as_of = std::string(name) != "tax_owed_and_no_as_of";
        const debt_outcome debt = evaluate_debt(members, with_as_of ? as_of : std::nullopt);
        EXPECT_FALSE(debt.ok());
        for (std::size_t m = 0; m < members.size(); ++m) {
            EXPECT_EQ(note_of(members, debt, m, language::chinese), chinese);
            EXPECT_EQ(note_of(members, debt, m, language::english), english);
            EXPECT_EQ(debt_columns(debt, m), 0U);
        }
    }
    // A bad row says what is wrong with it; the others name the 编号.
    const std::vector<debt_member> members =
        members_of({{.amount = "1", .due = "2019-06-15"}, {.paid_on = "2019-08-01", .paid = "x"}});
    const debt_outcome debt = evaluate_debt(members, as_of);
    EXPECT_EQ(note_of(members, debt, 1, language::chinese), "本次缴款金额：不是数字");
    EXPECT_EQ(note_of(members, debt, 0, language::chinese), "编号“A1”：同一编号的其他行有误");
    // A payment row may repeat the debt's cells, and only as they are there.
    const std::vector<debt_member> copied = members_of(
        {{.amount = "1", .due = "2019-06-15", .stop = "2019-07-01"},
         {.due = "2019-06-15", .paid_on = "2019-08-01", .paid = "1", .stop = "2019-07-01"},
         {.due = "2019-06-16", .paid_on = "2019-08-02", .paid = "1", .cap = "是"}});
    const debt_outcome differing = evaluate_debt(copied, as_of);
    EXPECT_EQ(note_of(copied, differing, 1, language::chinese), "编号“A1”：同一编号的其他行有误");
    EXPECT_EQ(note_of(copied, differing, 2, language::chinese),
              "缴款期限：与填写应缴税款金额的行不同；适用封顶：与填写应缴税款金额的行不同");
}

// What each row of a computed debt shows: the debt's row its totals, each
// payment row its division; a debt's row that pays shows the debt's balances.
// The figures are those of the worked example of two payments either side of
// 2020-03-01.
TEST(DebtRows, EachRowShowsItsPart) {
    const std::vector<debt_member> members =
        members_of({{.paid_on = "2020-05-01", .paid = "75000"},
                    {.amount = "100000", .due = "2019-06-15", .cap = "是"},
                    {.paid_on = "2019-08-01", .paid = "30000"}});
    const debt_outcome debt = evaluate_debt(members, as_of);
    ASSERT_TRUE(debt.ok());
    EXPECT_EQ(shown(debt, 1),
              "days_before=0 days_after=321 total_days=321 fee_before=0.00 fee_after=12034.37 "
              "total_fee=12034.37 tax_and_fee_total=112034.37 one_more_day=0.00 "
              "tax_outstanding=0.00 fee_outstanding=7034.37 fee_paid=5000.00 "
              "capped_total_fee=12034.37");
    EXPECT_EQ(shown(debt, 2), "to_tax=29311.19 to_fee=688.81 excess=0.00 "
                              "tax_outstanding=70688.81 fee_outstanding=1661.19");
    EXPECT_EQ(shown(debt, 0), "to_tax=70688.81 to_fee=4311.19 excess=0.00 "
                              "tax_outstanding=0.00 fee_outstanding=7034.37");
    EXPECT_TRUE(debt.capped);
    // debt_figure and debt_columns say the same as the rows show.
    for (std::size_t m = 0; m < members.size(); ++m) {
        for (std::size_t c = 0; c < column_count; ++c) {
            const auto role = static_cast<column>(c);
            EXPECT_EQ(debt_figure(debt, m, role).has_value(),
                      (debt_columns(debt, m) >> c & 1U) != 0)
                << m << " " << column_name(role, language::english);
        }
    }

    const std::vector<debt_member> paying_row =
        members_of({{.amount = "1000", .due = "2019-06-15", .paid_on = "2020-05-01", .paid = "400"},
                    {.paid_on = "2020-06-01", .paid = "100"}});
    const debt_outcome both = evaluate_debt(paying_row, as_of);
    ASSERT_TRUE(both.ok());
    EXPECT_EQ(shown(both, 0),
              "days_before=0 days_after=566 total_days=566 fee_before=0.00 fee_after=223.30 "
              "total_fee=223.30 tax_and_fee_total=1223.30 one_more_day=0.25 to_tax=400.00 "
              "to_fee=0.00 excess=0.00 tax_outstanding=500.00 fee_outstanding=223.30 "
              "fee_paid=0.00 capped_total_fee=223.30");
}

// The payments are divided in date order wherever their rows stand: any
// order of the rows gives every row the same figures. Payments of one day go
// in the order of their rows.
TEST(DebtRows, TheOrderOfTheRowsChangesNoFigure) {
    const std::vector<texts> rows = {
        {.amount = "123456.78", .due = "2019-06-15", .stop = "2021-06-30"},
        {.paid_on = "2019-07-01", .paid = "1000.01"},
        {.paid_on = "2019-12-31", .paid = "20000"},
        {.paid_on = "2020-02-29", .paid = "333.33"},
        {.paid_on = "2020-03-01", .paid = "50000"},
        {.paid_on = "2020-09-09", .paid = "7.77"},
        {.paid_on = "2021-08-01", .paid = "90000"},
    };
    const std::vector<debt_member> members = members_of(rows);
    const debt_outcome reference = evaluate_debt(members, as_of);
    ASSERT_TRUE(reference.ok());
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::mt19937 random(48);
    for (int round = 0; round < 50; ++round) {
        std::shuffle(order.begin(), order.end(), random);
        std::vector<texts> shuffled;
        for (const std::size_t r : order) {
            shuffled.push_back(rows[r]);
        }
        const debt_outcome debt = evaluate_debt(members_of(shuffled), as_of);
        ASSERT_TRUE(debt.ok());
        for (std::size_t k = 0; k < order.size(); ++k) {
            EXPECT_EQ(shown(debt, k), shown(reference, order[k])) << "round " << round;
        }
    }
    // Two payments of one day, 配比: the first row's is divided first.
    const std::vector<debt_member> same_day =
        members_of({{.amount = "100000", .due = "2019-06-15"},
                    {.paid_on = "2019-08-01", .paid = "30000"},
                    {.paid_on = "2019-08-01", .paid = "1000"}});
    const debt_outcome debt = evaluate_debt(same_day, as_of);
    ASSERT_TRUE(debt.ok());
    EXPECT_EQ(debt.figures.payments[0].amount, (calc::money{3000000, 2}));
    EXPECT_EQ(debt.payment_member, (std::vector<std::size_t>{1, 2}));
}

// Rows read one at a time come together by their 编号, in the order added.
TEST(DebtRows, TheBookGathersEachDebt) {
    debt_book book;
    const auto add = [&book](const char* id, const char* amount, std::size_t row) {
        row_texts cells{.amount = amount, .due_date = "2019-06-15", .item_id = id};
        return book.add(cells, row);
    };
    EXPECT_EQ(add("B", "1", 0), 0U);
    EXPECT_EQ(add("A", "2", 1), 1U);
    EXPECT_EQ(add("", "3", 2), debt_book::no_debt);
    EXPECT_EQ(add("B", "", 3), 0U);
    EXPECT_EQ(add("A ", "4", 4), 2U); // 编号 are compared as typed
    book.finish();
    ASSERT_EQ(book.size(), 3U);
    EXPECT_EQ(book.id(0), "B");
    ASSERT_EQ(book.members(0).size(), 2U);
    EXPECT_EQ(book.members(0)[0].row, 0U);
    EXPECT_EQ(book.members(0)[1].row, 3U);
    EXPECT_EQ(book.members(1)[0].row, 1U);
    EXPECT_EQ(book.members(2)[0].row, 4U);
}

// The cap is the user's to choose: the debt carries min(total, tax) only
// when its row says so, and what it paid beyond the cap leaves none owed.
TEST(DebtRows, CarriesTheCappedTotalWhenAsked) {
    // 1,000.00 due 1995-01-01, accruing to the stop date 1997-01-01: 731
    // days at 0.002 is 1,462.00, over the tax.
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        // cap, paid after the stop date, carried, carried still owed
        {"", "", "1462.00", "1462.00"},     {"否", "", "1462.00", "1462.00"},
        {"是", "", "1000.00", "1000.00"},   {"", "2200", "1462.00", "262.00"},
        {"yes", "2200", "1000.00", "0.00"},
    };
    for (const auto& [cap, payment, carried, owed] : cases) {
        SCOPED_TRACE(std::string(cap) + "/" + payment);
        std::vector<texts> rows{
            {.amount = "1000", .due = "1995-01-01", .stop = "1997-01-01", .cap = cap}};
        if (*payment != '\0') {
            // 先税后滞纳金: 1,000.00 to the tax, 1,200.00 to the surcharge.
            rows.push_back({.paid_on = "2020-03-01", .paid = payment});
        }
        const debt_outcome debt = evaluate_debt(members_of(rows), as_of);
        ASSERT_TRUE(debt.ok());
        EXPECT_EQ(calc::default_text(debt.carried_fee()), carried);
        EXPECT_EQ(calc::default_text(debt.carried_fee_outstanding()), owed);
    }
}

} // namespace
} // namespace orvandel::sheet
