#include "sheet/debts.h"

#include "calc/fee.h"
#include "calc/split.h"

#include <algorithm>

namespace orvandel::sheet {
namespace {

void add_problem(debt_member& m, column field, problem what) {
    if (m.problem_count < m.problems.size()) {
        m.problems[m.problem_count++] = {field, what};
    }
}

template <class T>
std::optional<T> take(debt_member& m, const calc::result<T, problem>& read, column field) {
    if (!read) {
        add_problem(m, field, read.error());
        return std::nullopt;
    }
    return *read;
}

// An optional date cell: nothing when empty.
std::optional<calc::date> optional_date(debt_member& m, std::string_view text, column field) {
    return text.empty() ? std::nullopt : take(m, read_date(text), field);
}

calc::money cents(std::int64_t value) {
    return {value, calc::money_places};
}

// The payments of the debt's members in the order they are divided: by date,
// members of one day in the order of their rows (members are in sheet order).
std::vector<std::size_t> payment_order(std::span<const debt_member> members) {
    std::vector<std::size_t> order;
    for (std::size_t m = 0; m < members.size(); ++m) {
        if (members[m].gives_payment) {
            order.push_back(m);
        }
    }
    const auto earlier = [&](std::size_t a, std::size_t b) {
        return members[a].pay_date < members[b].pay_date;
    };
    // Rows are most often in date order already.
    if (!std::is_sorted(order.begin(), order.end(), earlier)) {
        std::stable_sort(order.begin(), order.end(), earlier);
    }
    return order;
}

// A payment row's copy of a cell of the debt's row differs from it.
void check_copies(std::span<const debt_member> members, debt_outcome& out) {
    const debt_member& debt = members[out.debt_member];
    const bool cap = debt.apply_cap.value_or(false);
    for (std::size_t m = 0; m < members.size(); ++m) {
        const debt_member& row = members[m];
        if (m == out.debt_member) {
            continue;
        }
        if (row.due_date && row.due_date != debt.due_date) {
            out.differing.emplace_back(m, column::due_date);
        }
        if (row.stop_date && row.stop_date != debt.stop_date) {
            out.differing.emplace_back(m, column::stop_date);
        }
        if (row.apply_cap && *row.apply_cap != cap) {
            out.differing.emplace_back(m, column::apply_cap);
        }
    }
}

// What one more day of accrual after the as-of day adds: the last segment
// computed again with a day more, less as it is. Zero unless the debt still
// accrues at the as-of day (tax owed, no stop date reached).
calc::money one_more_day(const calc::debt_result& figures) {
    if (figures.segments.empty() || figures.segments.back().ends != calc::segment_end::as_of ||
        figures.tax_outstanding.coefficient == 0) {
        return cents(0);
    }
    const calc::debt_segment& last = figures.segments.back();
    calc::late_fee_input longer;
    longer.amount_due = last.tax;
    longer.mode = calc::entry_mode::by_days;
    longer.days_before = last.days_before;
    longer.days_after = last.days_after;
    if (calc::add_days(last.end, 1) < calc::rate_change_date) {
        ++longer.days_before;
    } else {
        ++longer.days_after;
    }
    const auto fee = calc::compute_late_fee(longer);
    if (!fee) {
        return cents(0);
    }
    return cents(fee->total_fee.coefficient - last.total_fee.coefficient);
}

void sum_segments(debt_outcome& out) {
    std::int64_t before = 0;
    std::int64_t after = 0;
    for (const calc::debt_segment& s : out.figures.segments) {
        out.days_before += s.days_before;
        out.days_after += s.days_after;
        // Each below the total surcharge, which fits.
        before += s.fee_before.coefficient;
        after += s.fee_after.coefficient;
    }
    out.fee_before = cents(before);
    out.fee_after = cents(after);
}

struct joiners {
    std::string_view field_end, between;
};

joiners joiners_of(language lang) {
    return lang == language::chinese ? joiners{"：", "；"} : joiners{": ", "; "};
}

} // namespace

debt_member read_member(const row_texts& cells, std::size_t row) {
    debt_member m;
    m.row = row;
    if (cells.reading_note_blocks) {
        m.blocked = true;
        return m;
    }
    m.gives_tax = !cells.amount.empty();
    m.gives_payment = !cells.pay_date.empty() || !cells.paid_amount.empty();
    // A debt is given by its 缴款期限 and payments, not by a period.
    if (!cells.start_date.empty() || !cells.end_date.empty()) {
        add_problem(m, cells.start_date.empty() ? column::end_date : column::start_date,
                    problem::not_in_a_debt);
    }
    if (!cells.days_before.empty() || !cells.days_after.empty()) {
        add_problem(m, cells.days_before.empty() ? column::days_after : column::days_before,
                    problem::not_in_a_debt);
    }
    if (m.gives_tax) {
        m.tax = take(m, read_amount(cells.amount), column::amount).value_or(calc::money{});
        m.due_date = take(m, read_date(cells.due_date), column::due_date);
    } else {
        m.due_date = optional_date(m, cells.due_date, column::due_date);
    }
    m.stop_date = optional_date(m, cells.stop_date, column::stop_date);
    if (m.gives_tax && m.due_date && m.stop_date && *m.stop_date < *m.due_date) {
        add_problem(m, column::stop_date, problem::before_due_date);
    }
    if (!cells.apply_cap.empty()) {
        m.apply_cap = take(m, read_yes_no(cells.apply_cap), column::apply_cap);
    }
    if (m.gives_payment) {
        if (const auto day = take(m, read_date(cells.pay_date), column::pay_date)) {
            m.pay_date = *day;
        }
        if (const auto paid = take(m, read_amount(cells.paid_amount), column::paid_amount)) {
            if (paid->coefficient <= 0) {
                add_problem(m, column::paid_amount, problem::not_above_zero);
            }
            m.paid = *paid;
        }
    }
    return m;
}

calc::money debt_outcome::carried_fee() const {
    return capped ? figures.capped_total_fee : figures.total_fee;
}

calc::money debt_outcome::carried_fee_outstanding() const {
    if (!capped) {
        return figures.fee_outstanding;
    }
    return cents(std::max<std::int64_t>(0, figures.capped_total_fee.coefficient -
                                               figures.fee_paid.coefficient));
}

debt_outcome evaluate_debt(std::span<const debt_member> members,
                           const std::optional<calc::date>& as_of) {
    debt_outcome out;
    out.member_payment.assign(members.size(), no_member);
    bool rows_ok = true;
    for (std::size_t m = 0; m < members.size(); ++m) {
        rows_ok = rows_ok && members[m].ok();
        if (members[m].gives_tax) {
            if (out.debt_member != no_member) {
                out.status = debt_status::two_debt_rows;
                return out;
            }
            out.debt_member = m;
        }
    }
    if (out.debt_member == no_member) {
        out.status = rows_ok ? debt_status::no_debt_row : debt_status::row_problems;
        return out;
    }
    check_copies(members, out);
    if (!rows_ok || !out.differing.empty()) {
        out.status = debt_status::row_problems;
        return out;
    }
    const debt_member& debt = members[out.debt_member];
    out.capped = debt.apply_cap.value_or(false);
    out.input.tax = debt.tax;
    out.input.due_date = *debt.due_date;
    out.input.stop_date = debt.stop_date;
    out.input.as_of = as_of;
    out.payment_member = payment_order(members);
    out.input.payments.reserve(out.payment_member.size());
    for (std::size_t p = 0; p < out.payment_member.size(); ++p) {
        const debt_member& row = members[out.payment_member[p]];
        out.member_payment[out.payment_member[p]] = p;
        out.input.payments.push_back({row.pay_date, row.paid});
    }
    auto figures = calc::compute_debt(out.input);
    if (!figures) {
        // The rows were read and checked: what is left is the end of accrual
        // and sums beyond exact arithmetic.
        switch (figures.error().error) {
        case calc::debt_error::no_end_of_accrual:
            out.status = debt_status::no_end_of_accrual;
            break;
        case calc::debt_error::as_of_before_payment:
            out.status = debt_status::as_of_before_payment;
            break;
        default:
            out.status = debt_status::out_of_range;
            break;
        }
        return out;
    }
    out.figures = std::move(figures).value();
    out.status = debt_status::ok;
    sum_segments(out);
    out.one_more_day = one_more_day(out.figures);
    return out;
}

std::optional<debt_value> debt_figure(const debt_outcome& debt, std::size_t member, column c) {
    std::optional<debt_value> found;
    for_each_debt_figure(debt, member, [&](column shown, const debt_value& value) {
        if (shown == c) {
            found = value;
        }
    });
    return found;
}

std::uint32_t debt_columns(const debt_outcome& debt, std::size_t member) {
    std::uint32_t columns = 0;
    for_each_debt_figure(debt, member, [&](column shown, const debt_value&) {
        columns |= std::uint32_t{1} << static_cast<unsigned>(shown);
    });
    return columns;
}

std::string_view debt_status_text(debt_status status, language lang) {
    const bool zh = lang == language::chinese;
    switch (status) {
    case debt_status::ok:
        return {};
    case debt_status::row_problems:
        return zh ? "同一编号的其他行有误" : "another row of it has an error";
    case debt_status::no_debt_row:
        return zh ? "没有一行填写应缴税款金额" : "no row gives the amount";
    case debt_status::two_debt_rows:
        return zh ? "有多行填写了应缴税款金额" : "more than one row gives the amount";
    case debt_status::no_end_of_accrual:
        return zh ? "最后一次缴款后仍欠税款，需要计算截止日期（缴款日期）"
                  : "tax is still owed after the last payment: give the as-of date (--as-of)";
    case debt_status::as_of_before_payment:
        return zh ? "缴款日期早于最后一次缴款，而税款仍未缴清"
                  : "the as-of date is before the last payment, and tax is still owed";
    case debt_status::out_of_range:
        return zh ? "金额过大，无法精确计算" : "sums too large to compute exactly";
    }
    return {};
}

void append_debt_note(std::string& out, const debt_outcome& debt,
                      std::span<const debt_member> members, std::size_t member,
                      std::string_view item_id, std::string_view reading_note, language lang) {
    const joiners join = joiners_of(lang);
    const std::size_t start = out.size();
    const auto next = [&] {
        if (out.size() > start) {
            out += join.between;
        }
    };
    out += reading_note;
    if (debt.ok() || member >= members.size()) {
        return;
    }
    const debt_member& row = members[member];
    bool own = false;
    for (std::size_t i = 0; i < row.problem_count; ++i) {
        next();
        out.append(column_name(row.problems[i].field, lang))
            .append(join.field_end)
            .append(problem_text(row.problems[i].what, lang));
        own = true;
    }
    for (const auto& [m, field] : debt.differing) {
        if (m == member) {
            next();
            out.append(column_name(field, lang))
                .append(join.field_end)
                .append(problem_text(problem::differs_from_debt, lang));
            own = true;
        }
    }
    if (row.blocked) {
        return; // the reading note says why
    }
    if (own && debt.status == debt_status::row_problems) {
        return;
    }
    next();
    if (lang == language::chinese) {
        out.append(column_name(column::item_id, lang)).append("“").append(item_id).append("”");
    } else {
        out.append(column_name(column::item_id, lang)).append(" ").append(item_id);
    }
    out.append(join.field_end).append(debt_status_text(debt.status, lang));
}

std::string debt_problem(const debt_outcome& debt, std::span<const debt_member> members,
                         language lang) {
    for (std::size_t m = 0; m < members.size(); ++m) {
        const bool differs = std::any_of(debt.differing.begin(), debt.differing.end(),
                                         [m](const auto& d) { return d.first == m; });
        if (members[m].ok() && !differs) {
            continue;
        }
        const std::string row = std::to_string(members[m].row + 1);
        const bool zh = lang == language::chinese;
        std::string out = zh ? "第" + row + "行：" : "row " + row + ": ";
        if (members[m].blocked) {
            return out + (zh ? "读取这一行时出错" : "the row could not be read");
        }
        append_debt_note(out, debt, members, m, {}, {}, lang);
        return out;
    }
    return std::string(debt_status_text(debt.status, lang));
}

std::size_t debt_book::add(const row_texts& cells, std::size_t row) {
    if (cells.item_id.empty()) {
        return no_debt;
    }
    if (last_ == no_debt || ids_[last_] != cells.item_id) {
        key_.assign(cells.item_id);
        auto [at, added] = index_.try_emplace(key_, ids_.size());
        if (added) {
            ids_.push_back(key_);
        }
        last_ = at->second;
    }
    members_.push_back(read_member(cells, row));
    debt_of_.push_back(static_cast<std::uint32_t>(last_));
    return last_;
}

void debt_book::finish() {
    // A counting sort by debt, stable: each debt's rows in the order added.
    first_.assign(ids_.size() + 1, 0);
    for (const std::uint32_t debt : debt_of_) {
        ++first_[debt + 1];
    }
    for (std::size_t d = 1; d < first_.size(); ++d) {
        first_[d] += first_[d - 1];
    }
    if (std::is_sorted(debt_of_.begin(), debt_of_.end())) {
        // Each debt's rows followed one another already.
        std::vector<std::uint32_t>().swap(debt_of_);
        return;
    }
    std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
    std::vector<debt_member> sorted(members_.size());
    for (std::size_t m = 0; m < members_.size(); ++m) {
        sorted[next[debt_of_[m]]++] = members_[m];
    }
    members_.swap(sorted);
    std::vector<std::uint32_t>().swap(debt_of_);
}

} // namespace orvandel::sheet
