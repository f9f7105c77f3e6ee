// Debts paid in parts in a sheet of many items: the rows that share an 编号
// (item_id) are one debt of the engine (calc/debt.h). The batch, the
// worksheet, the audit sheet and its export all gather and compute debts
// here, so that a debt has the same figures and the same words in all of them.
//
// The rules:
// - The row of an 编号 that gives 应缴税款金额 is the debt's row. It gives
//   the 缴款期限 too, and may give 停止计算日期 and 适用封顶. Exactly one row
//   of each 编号 gives the amount.
// - Every row of the 编号 that gives 实际缴款日期 or 本次缴款金额 is one
//   payment and gives both; the debt's row may be a payment as well. A payment
//   row may repeat the debt's 缴款期限, 停止计算日期 or 适用封顶 (a copied
//   block), which must then be the debt's.
// - A row that gives nothing but its 编号 (and 项目) is no part of the debt:
//   a payment still being typed.
// - Rows of a debt need not be neighbours. Its payments are divided in date
//   order wherever their rows stand, so that sorting a sheet changes no
//   figure; payments of one day are divided in the order of their rows.
// - Tax still owed after the last payment accrues through the sheet's as-of
//   day (the worksheet's 缴款日期, the batch's --as-of), or through the stop
//   date when that comes first.
// - All or nothing: a row with a problem, or a debt the engine refuses,
//   leaves every row of its 编号 without figures, each saying why and naming
//   the 编号.
//
// What the rows show: the debt's row its totals (the segments' day counts and
// surcharges summed, 合计应加征滞纳金, 已缴滞纳金, 尚欠滞纳金, 尚欠税款 and
// the capped figure); each payment row what its payment went to (抵缴税款,
// 抵缴滞纳金, 多缴) and what was owed after it (尚欠税款, 尚欠滞纳金). A debt's
// row that is also a payment shows the debt's balances, not the payment's.
#pragma once

#include "sheet/columns.h"
#include "sheet/row.h"

#include "calc/date.h"
#include "calc/debt.h"
#include "calc/money.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvandel::sheet {

inline constexpr std::size_t no_member = static_cast<std::size_t>(-1);

// One row of a debt, read from its cells.
struct debt_member {
    std::size_t row = 0;        // the row's place in the sheet: orders payments of one day
    bool gives_tax = false;     // 应缴税款金额 given: the debt's row
    bool gives_payment = false; // 实际缴款日期 or 本次缴款金额 given
    bool blocked = false;       // its reading note keeps it from being read (reader.h)
    calc::money tax{};
    std::optional<calc::date> due_date, stop_date; // as given
    std::optional<bool> apply_cap;                 // as given
    calc::date pay_date{};
    calc::money paid{};
    std::array<row_problem, 4> problems{};
    std::uint8_t problem_count = 0;

    [[nodiscard]] bool ok() const { return !blocked && problem_count == 0; }
    // Gives nothing to its debt: no part of it.
    [[nodiscard]] bool idle() const { return ok() && !gives_tax && !gives_payment; }
};

// Reads the cells of a row with an 编号.
[[nodiscard]] debt_member read_member(const row_texts& cells, std::size_t row);

enum class debt_status : unsigned char {
    ok,
    row_problems,         // a row of the debt has problems of its own
    no_debt_row,          // no row of the 编号 gives 应缴税款金额
    two_debt_rows,        // more than one row gives it
    no_end_of_accrual,    // tax is owed after the last payment, and there is no as-of day
    as_of_before_payment, // tax is owed after the last payment, and the as-of day is before it
    out_of_range,         // the sums are too large to compute exactly
};

// A value a row of a debt shows: a day count or an amount at two places.
struct debt_value {
    bool is_count = false;
    calc::day_count days = 0;
    calc::money amount{};
};

struct debt_outcome {
    debt_status status = debt_status::no_debt_row;
    std::size_t debt_member = no_member;
    std::vector<std::size_t> payment_member; // the member of each payment, in the order divided
    std::vector<std::size_t> member_payment; // the payment of each member, or no_member
    // Payment rows whose 缴款期限, 停止计算日期 or 适用封顶 is not the debt's.
    std::vector<std::pair<std::size_t, column>> differing;
    calc::debt_input input;
    calc::debt_result figures; // when ok
    bool capped = false;       // 适用封顶: its totals carry capped_total_fee
    // The segments summed, for the debt's row.
    calc::day_count days_before = 0, days_after = 0;
    calc::money fee_before{}, fee_after{};
    // What a day more of the as-of date adds; zero once accrual has ended.
    calc::money one_more_day{};

    [[nodiscard]] bool ok() const { return status == debt_status::ok; }
    // The surcharge the debt's totals carry, capped or not, and what of it is
    // still owed (never below zero: what was paid beyond the cap is owed none).
    [[nodiscard]] calc::money carried_fee() const;
    [[nodiscard]] calc::money carried_fee_outstanding() const;
};

// Computes the debt whose rows are `members`, in the sheet's order.
[[nodiscard]] debt_outcome evaluate_debt(std::span<const debt_member> members,
                                         const std::optional<calc::date>& as_of);

// Calls sink(column, debt_value) for each column the row of `member` fills,
// in column order: what the row shows. Nothing for a debt without figures.
template <class Sink>
void for_each_debt_figure(const debt_outcome& debt, std::size_t member, Sink&& sink);

// What the row of `member` shows in column `c`; nothing for a column it leaves
// empty (and every column of a debt without figures).
[[nodiscard]] std::optional<debt_value> debt_figure(const debt_outcome& debt, std::size_t member,
                                                    column c);
// The columns for which debt_figure has a value, one bit each (1 << column).
[[nodiscard]] std::uint32_t debt_columns(const debt_outcome& debt, std::size_t member);
static_assert(column_count <= 32);

// The note of the row of `member` (its 备注): its reading note, then its own
// problems, or the debt's problem named by its 编号 ("编号“A1”：有多行填写了
// 应缴税款金额" / "item_id A1: more than one row gives the amount"); empty for
// a row of a computed debt without a reading note.
void append_debt_note(std::string& out, const debt_outcome& debt,
                      std::span<const debt_member> members, std::size_t member,
                      std::string_view item_id, std::string_view reading_note, language lang);

// Why a debt has no figures, in one line: the first of its rows with a
// problem of its own, by its place in the sheet ("第3行：本次缴款金额：不是
// 数字" / "row 3: paid_amount: not a number"), or else the debt's problem.
[[nodiscard]] std::string debt_problem(const debt_outcome& debt,
                                       std::span<const debt_member> members, language lang);

// "有多行填写了应缴税款金额": the words of a debt's problem.
[[nodiscard]] std::string_view debt_status_text(debt_status status, language lang);

// The debts of a sheet read one row at a time, as the batch and the audit
// sheet's export read files: rows are added in the sheet's order, then
// finish() puts the rows of each debt together.
class debt_book {
public:
    static constexpr std::size_t no_debt = static_cast<std::size_t>(-1);

    // Adds the row `row` to the debt of its 编号 and returns that debt; no_debt
    // for a row without 编号.
    std::size_t add(const row_texts& cells, std::size_t row);
    // Done adding: the debts' members are ready.
    void finish();

    [[nodiscard]] std::size_t size() const { return ids_.size(); }
    [[nodiscard]] const std::string& id(std::size_t debt) const { return ids_[debt]; }
    // The rows of a debt, in the order they were added (after finish()).
    [[nodiscard]] std::span<const debt_member> members(std::size_t debt) const {
        return std::span(members_).subspan(first_[debt], first_[debt + 1] - first_[debt]);
    }
    [[nodiscard]] debt_outcome evaluate(std::size_t debt,
                                        const std::optional<calc::date>& as_of) const {
        return evaluate_debt(members(debt), as_of);
    }

private:
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<std::string> ids_;
    std::vector<debt_member> members_;   // each debt's together after finish()
    std::vector<std::uint32_t> debt_of_; // of each member as added
    std::vector<std::size_t> first_;     // of each debt's members, and their end
    std::string key_;
    std::size_t last_ = no_debt; // the debt of the row added last: rows of one debt often follow
};

template <class Sink>
void for_each_debt_figure(const debt_outcome& debt, std::size_t member, Sink&& sink) {
    if (!debt.ok() || member >= debt.member_payment.size()) {
        return;
    }
    const auto count = [&](column c, calc::day_count days) { sink(c, debt_value{true, days, {}}); };
    const auto money = [&](column c, const calc::money& amount) {
        sink(c, debt_value{false, 0, amount});
    };
    const calc::debt_result& f = debt.figures;
    const bool debt_row = member == debt.debt_member;
    if (debt_row) {
        count(column::days_before, debt.days_before);
        count(column::days_after, debt.days_after);
        count(column::total_days, debt.days_before + debt.days_after);
        money(column::fee_before, debt.fee_before);
        money(column::fee_after, debt.fee_after);
        money(column::total_fee, f.total_fee);
        money(column::tax_and_fee_total,
              calc::money{f.tax.coefficient + f.total_fee.coefficient, calc::money_places});
        money(column::one_more_day, debt.one_more_day);
    }
    const std::size_t p = debt.member_payment[member];
    if (p != no_member) {
        const calc::payment_allocation& a = f.payments[p];
        money(column::to_tax, a.to_tax);
        money(column::to_fee, a.to_fee);
        money(column::excess, a.excess);
        if (!debt_row) {
            money(column::tax_outstanding, a.tax_outstanding);
            money(column::fee_outstanding, a.fee_outstanding);
        }
    }
    if (debt_row) {
        // A debt's row that is also a payment shows the debt's balances.
        money(column::tax_outstanding, f.tax_outstanding);
        money(column::fee_outstanding, f.fee_outstanding);
        money(column::fee_paid, f.fee_paid);
        money(column::capped_total_fee, f.capped_total_fee);
    }
}

} // namespace orvandel::sheet
