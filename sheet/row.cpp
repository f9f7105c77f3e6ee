#include "sheet/row.h"

#include "calc/number_text.h"
#include "calc/split.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>

namespace orvandel::sheet {
namespace {

struct problem_words {
    std::string_view english;
    std::string_view chinese;
};

// In the order of `problem`. The English words are the ones the command line
// has always written.
constexpr std::array<problem_words, 22> words{{
    {"missing", "未填写"},
    {"not a number", "不是数字"},
    {"more than 12 integer digits", "整数部分超过12位"},
    {"more than 2 decimals", "小数超过2位"},
    {"not a whole number", "不是整数"},
    {"more than 6 digits", "超过6位"},
    {"not a yyyy-mm-dd date", "不是yyyy-mm-dd格式的日期"},
    {"no such day", "没有这一天"},
    {"later than the end date", "晚于终止日期"},
    {"give only one of the two pairs", "只能填写其中一组"},
    {"missing", "未填写"},
    {"surcharge too large to compute exactly", "滞纳金过大，无法精确计算"},
    {"not a tax period (2024-04, 2024年4月, 2024Q1 or 2024年第1季度)",
     "不是税款所属期（2024-04、2024年4月、2024Q1或2024年第1季度）"},
    {"no such period", "没有这个所属期"},
    {"no filing calendar or holiday data for the year it falls due in; type the due_date",
     "缴款期限所在年份没有申报日历或节假日数据，请填写缴款期限"},
    {"needs an item_id", "需要填写编号"},
    {"not above zero", "应大于零"},
    {"give yes or no", "应填“是”或“否”"},
    {"not used for a debt paid in parts", "分次缴款的欠税不用此列"},
    {"differs from the row with the amount", "与填写应缴税款金额的行不同"},
    {"computed with its item_id's debt", "随同一编号的欠税计算"},
    {"before the due date", "早于缴款期限"},
}};
static_assert(static_cast<std::size_t>(problem::before_due_date) + 1 == words.size());

// "no filing calendar or holiday data for 2027; type the due_date": the
// problem no_calendar_data with the year it names. Built by appending: MinGW's
// GCC 12 reports a false -Wrestrict for "text" + string.
std::string no_data_text(int year, language lang) {
    const bool english = lang == language::english;
    return std::string(english ? "no filing calendar or holiday data for " : "缴款期限在")
        .append(std::to_string(year))
        .append(english ? "; type the due_date" : "年，没有申报日历或节假日数据，请填写缴款期限");
}

// Words that join a row's texts in each language.
struct joiners {
    std::string_view field_end;  // between a field and its problem
    std::string_view between;    // between two problems
    std::string_view list_comma; // between the first items of a list of three
    std::string_view list_and;   // before the last item of a list of pairs given
    std::string_view list_or;    // before the last item of a list of pairs to give
};
constexpr joiners english_joiners{": ", "; ", ", ", " and ", " or "};
constexpr joiners chinese_joiners{"：", "；", "、", "和", "或"};

const joiners& joiners_of(language lang) {
    return lang == language::english ? english_joiners : chinese_joiners;
}

constexpr std::array<std::array<column, 2>, 3> pair_columns{{
    {column::due_date, column::pay_date},
    {column::start_date, column::end_date},
    {column::days_before, column::days_after},
}};

problem problem_of(calc::number_text_error error, problem too_many_integer_digits) {
    switch (error) {
    case calc::number_text_error::empty:
        return problem::missing;
    case calc::number_text_error::not_a_number:
        return problem::not_a_number;
    case calc::number_text_error::too_many_integer_digits:
        return too_many_integer_digits;
    case calc::number_text_error::too_many_decimals:
        return problem::too_many_decimals;
    }
    return problem::not_a_number;
}

// Collects a row's problems in the order they are found.
class problem_list {
public:
    explicit problem_list(row_outcome& outcome) : outcome_(outcome) {}
    void add(column field, problem what) {
        if (outcome_.problem_count < outcome_.problems.size()) {
            outcome_.problems[outcome_.problem_count++] = {field, what};
        }
    }
    template <class T> void check(const calc::result<T, problem>& read, column field) {
        if (!read) {
            add(field, read.error());
        }
    }
    [[nodiscard]] bool empty() const { return outcome_.problem_count == 0; }

private:
    row_outcome& outcome_;
};

pair_set pairs_given(const row_texts& cells) {
    pair_set given = 0;
    if (!cells.due_date.empty() || !cells.pay_date.empty()) {
        given |= pair_bit(period_basis::due_and_paid);
    }
    if (!cells.start_date.empty() || !cells.end_date.empty()) {
        given |= pair_bit(period_basis::start_and_end);
    }
    if (!cells.days_before.empty() || !cells.days_after.empty()) {
        given |= pair_bit(period_basis::day_counts);
    }
    // A period stands for the 缴款期限 of a row that gives no other pair.
    if (!cells.tax_period.empty() && (given & ~pair_bit(period_basis::due_and_paid)) == 0) {
        given |= pair_bit(period_basis::due_and_paid);
    }
    return given;
}

problem problem_of(period_problem what) {
    switch (what) {
    case period_problem::no_such_period:
        return problem::no_such_period;
    case period_problem::no_data:
        return problem::no_calendar_data;
    case period_problem::none:
    case period_problem::not_a_period:
        break;
    }
    return problem::not_a_tax_period;
}

// The 缴款期限 of a row with a 税款所属期 (row_deadline.h), from `due` as read
// (a date, or missing when empty): filled from the period when empty, else
// as typed and checked against it.
calc::result<calc::date, problem> due_by_period(const row_texts& cells,
                                                const calc::result<calc::date, problem>& due,
                                                row_outcome& outcome, problem_list& problems) {
    const std::optional<calc::date> given = due ? std::optional(*due) : std::nullopt;
    const period_problem read = read_row_deadline(cells.tax_period, given, outcome.deadline);
    if (read != period_problem::none) {
        problems.add(column::tax_period, problem_of(read));
        return problem_of(read);
    }
    if (outcome.deadline.origin == deadline_origin::filled) {
        return outcome.deadline.calendar.deadline;
    }
    return due;
}

period_basis only_pair(pair_set given) {
    return given == pair_bit(period_basis::due_and_paid)    ? period_basis::due_and_paid
           : given == pair_bit(period_basis::start_and_end) ? period_basis::start_and_end
                                                            : period_basis::day_counts;
}

// Reads the period of a row that gives exactly one pair into outcome.input.
void read_period(const row_texts& cells, const std::optional<calc::date>& payment_date,
                 row_outcome& outcome, problem_list& problems) {
    calc::late_fee_input& input = outcome.input;
    switch (outcome.basis) {
    case period_basis::day_counts: {
        input.mode = calc::entry_mode::by_days;
        const auto before = read_day_count(cells.days_before);
        const auto after = read_day_count(cells.days_after);
        problems.check(before, column::days_before);
        problems.check(after, column::days_after);
        if (before && after) {
            input.days_before = *before;
            input.days_after = *after;
        }
        return;
    }
    case period_basis::start_and_end: {
        input.mode = calc::entry_mode::by_dates;
        const auto start = read_date(cells.start_date);
        const auto end = read_date(cells.end_date);
        problems.check(start, column::start_date);
        problems.check(end, column::end_date);
        if (start && end) {
            input.start_date = *start;
            input.end_date = *end;
            if (*start > *end) {
                problems.add(column::start_date, problem::later_than_end);
            }
        }
        return;
    }
    case period_basis::due_and_paid: {
        input.mode = calc::entry_mode::by_dates;
        // A typed 缴款期限 that cannot be read is its own problem; the period
        // is then not read.
        auto due = read_date(cells.due_date);
        if (cells.tax_period.empty() || (!due && !cells.due_date.empty())) {
            problems.check(due, column::due_date);
        } else {
            due = due_by_period(cells, due, outcome, problems);
        }
        const auto pay = cells.pay_date.empty() && payment_date
                             ? calc::result<calc::date, problem>(*payment_date)
                             : read_date(cells.pay_date);
        problems.check(pay, column::pay_date);
        if (due && pay) {
            // Days from the one after the due date through the day paid.
            input.start_date = calc::form_day_of(*due);
            input.end_date = calc::form_day_of(*pay);
            outcome.not_overdue = *pay <= *due;
        }
        return;
    }
    }
}

// The engine's figures for the period `input` gives. A dated period is split
// here and handed over as day counts: its dates were read as calendar days and
// its start checked against its end already, and a due/paid period's end
// (pay + 1) may be 10000-01-01, past the last day the engine takes as a date.
// A start after the end (paid in time) has no overdue day.
calc::result<calc::late_fee_result, calc::fee_error> figures_of(calc::late_fee_input input) {
    if (input.mode == calc::entry_mode::by_dates) {
        const calc::overdue_split split =
            input.start_date > input.end_date
                ? calc::overdue_split{}
                : calc::split_overdue_days(input.start_date, input.end_date);
        input.mode = calc::entry_mode::by_days;
        input.days_before = split.days_before;
        input.days_after = split.days_after;
    }
    return calc::compute_late_fee(input);
}

// A payment, a stop date or a cap belongs to a debt, which a row without 编号
// is not: refused rather than left unread, so that no payment goes unseen.
void check_debt_columns(const row_texts& cells, problem_list& problems) {
    if (!cells.paid_amount.empty()) {
        problems.add(column::paid_amount, problem::needs_item_id);
    }
    if (!cells.stop_date.empty()) {
        problems.add(column::stop_date, problem::needs_item_id);
    }
    if (cells.apply_cap.empty()) {
        return;
    }
    const auto cap = read_yes_no(cells.apply_cap);
    if (!cap) {
        problems.add(column::apply_cap, cap.error());
    } else if (*cap) {
        problems.add(column::apply_cap, problem::needs_item_id);
    }
}

void append_pairs(std::string& out, pair_set pairs, language lang, std::string_view last_joiner) {
    const joiners& join = joiners_of(lang);
    const auto count = static_cast<std::size_t>(std::popcount(static_cast<unsigned>(pairs)));
    std::size_t written = 0;
    for (std::size_t i = 0; i < pair_columns.size(); ++i) {
        if ((pairs & pair_bit(static_cast<period_basis>(i))) == 0) {
            continue;
        }
        if (written > 0) {
            out += written + 1 == count ? last_joiner : join.list_comma;
        }
        out.append(column_name(pair_columns[i][0], lang))
            .append("/")
            .append(column_name(pair_columns[i][1], lang));
        ++written;
    }
}

} // namespace

calc::result<calc::money, problem> read_amount(std::string_view text) {
    const auto amount = calc::parse_amount_text(text);
    if (!amount) {
        return problem_of(amount.error(), problem::too_many_integer_digits);
    }
    return *amount;
}

calc::result<calc::day_count, problem> read_day_count(std::string_view text) {
    if (text.empty()) {
        return problem::missing;
    }
    // A day count is digits only; "5." or "5.0" is not one.
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return problem::not_a_whole_number;
    }
    const auto days = calc::parse_day_count_text(text);
    if (!days) {
        return problem_of(days.error(), problem::too_many_digits);
    }
    return *days;
}

calc::result<calc::date, problem> read_date(std::string_view text) {
    const auto d = calc::parse_date_text(text);
    if (d) {
        return *d;
    }
    switch (d.error()) {
    case calc::date_text_error::empty:
        return problem::missing;
    case calc::date_text_error::no_such_day:
        return problem::no_such_day;
    case calc::date_text_error::bad_form:
        break;
    }
    return problem::not_a_date;
}

calc::result<bool, problem> read_yes_no(std::string_view text) {
    const auto is = [text](std::string_view word) {
        return text.size() == word.size() &&
               std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
                   return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
               });
    };
    if (text.empty() || is("否") || is("no") || is("0")) {
        return false;
    }
    if (is("是") || is("yes") || is("1")) {
        return true;
    }
    return problem::not_yes_or_no;
}

std::string_view problem_text(problem what, language lang) {
    const problem_words& w = words[static_cast<std::size_t>(what)];
    return lang == language::english ? w.english : w.chinese;
}

row_outcome evaluate_row(const row_texts& cells, const std::optional<calc::date>& payment_date) {
    row_outcome outcome;
    evaluate_row_into(cells, outcome, payment_date);
    return outcome;
}

void evaluate_row_into(const row_texts& cells, row_outcome& outcome,
                       const std::optional<calc::date>& payment_date) {
    // Everything evaluate_row's fresh outcome has, but the problems past the
    // count and the figures of a row that has none.
    outcome.ok = false;
    outcome.basis = period_basis::day_counts;
    outcome.input = calc::late_fee_input{};
    outcome.not_overdue = false;
    outcome.problem_count = 0;
    outcome.pairs_offered = cells.offered;
    outcome.pairs_given = 0;
    if (!outcome.reading_note.empty() || !cells.reading_note.empty()) {
        outcome.reading_note.assign(cells.reading_note);
    }
    if (outcome.deadline.origin != deadline_origin::typed) {
        outcome.deadline = row_deadline{}; // the period, when origin is typed, is not read
    }
    if (cells.reading_note_blocks) {
        return;
    }
    problem_list problems(outcome);
    if (!cells.item_id.empty()) {
        // Its figures are its debt's (debts.h); alone it has none.
        problems.add(column::item_id, problem::in_a_debt);
        return;
    }
    const auto amount = read_amount(cells.amount);
    if (amount) {
        outcome.input.amount_due = *amount;
    } else {
        problems.add(column::amount, amount.error());
    }
    outcome.pairs_given = pairs_given(cells);
    if (outcome.pairs_given == 0) {
        problems.add(column::start_date, problem::no_period);
    } else if ((outcome.pairs_given & (outcome.pairs_given - 1)) == 0) { // a single pair
        outcome.basis = only_pair(outcome.pairs_given);
        read_period(cells, payment_date, outcome, problems);
    } else {
        const auto first = static_cast<std::size_t>(std::countr_zero(outcome.pairs_given));
        problems.add(pair_columns[first][0], problem::two_pairs_given);
    }
    check_debt_columns(cells, problems);
    if (!problems.empty()) {
        return;
    }
    const auto figures = figures_of(outcome.input);
    if (!figures) {
        // What the cells admit always fits; only a figure too wide to hold
        // exactly can be refused here.
        problems.add(column::amount, problem::out_of_range);
        return;
    }
    outcome.figures = *figures;
    outcome.ok = true;
}

std::optional<calc::money> one_more_day(const row_outcome& outcome) {
    if (!outcome.ok) {
        return std::nullopt;
    }
    calc::late_fee_input later = outcome.input;
    if (later.mode == calc::entry_mode::by_days) {
        ++later.days_after;
    } else {
        later.end_date = calc::add_days(later.end_date, 1);
    }
    const auto figures = figures_of(later);
    if (!figures) {
        return std::nullopt;
    }
    const calc::money& now = outcome.figures.total_fee;
    const auto added = calc::add_money(figures->total_fee, {-now.coefficient, now.scale});
    if (!added) {
        return std::nullopt;
    }
    return *added;
}

void append_description(std::string& out, const row_outcome& outcome, language lang) {
    const joiners& join = joiners_of(lang);
    out += outcome.reading_note;
    if (outcome.ok) {
        bool written = !outcome.reading_note.empty();
        if (outcome.not_overdue && lang == language::chinese) {
            out += written ? join.between : "";
            out += "未逾期";
            written = true;
        }
        if (has_deadline_note(outcome.deadline)) {
            out += written ? join.between : "";
            append_deadline_note(out, outcome.deadline, lang);
        }
        return;
    }
    for (std::size_t i = 0; i < outcome.problem_count; ++i) {
        const row_problem& p = outcome.problems[i];
        if (i > 0 || !outcome.reading_note.empty()) {
            out += join.between;
        }
        if (p.what == problem::two_pairs_given) {
            append_pairs(out, outcome.pairs_given, lang, join.list_and);
        } else if (p.what == problem::no_period) {
            append_pairs(out, outcome.pairs_offered, lang, join.list_or);
        } else {
            out += column_name(p.field, lang);
        }
        out += join.field_end;
        if (p.what == problem::no_calendar_data) {
            out += no_data_text(due_year(outcome.deadline), lang);
        } else if (p.what == problem::two_pairs_given && std::popcount(outcome.pairs_given) > 2) {
            out += lang == language::english ? "give only one of the three pairs"
                                             : problem_text(p.what, lang);
        } else {
            out += problem_text(p.what, lang);
        }
    }
}

std::string describe(const row_outcome& outcome, language lang) {
    std::string out;
    append_description(out, outcome, lang);
    return out;
}

} // namespace orvandel::sheet
