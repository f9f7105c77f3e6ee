#include "single.h"

#include "deadline.h"

#include "calc/date.h"
#include "calc/deadline_note.h"
#include "calc/form_labels.h"
#include "calc/number_text.h"

#include "sheet/figure_text.h"
#include "sheet/row.h"

namespace orvandel::cli {
namespace {

namespace text = calc::form_labels;

constexpr std::string_view title_of_note = "备注=";
constexpr std::string_view not_overdue_note = "未逾期";
constexpr std::string_view title_of_period = "税款所属期=";
constexpr std::string_view note_separator = "；";

void line(std::string& out, std::string_view label, std::string_view value) {
    out.append(label).append(value).append("\n");
}

std::string words(sheet::problem what) {
    return std::string(sheet::problem_text(what, sheet::language::english));
}

// A refused calculation, told as the input it concerns and what is wrong.
struct fee_problem {
    std::string_view field;
    std::string_view problem;
};

fee_problem describe(calc::fee_error error) {
    switch (error) {
    case calc::fee_error::start_after_end:
        return {"start_date", "later than the end date"};
    case calc::fee_error::invalid_date:
        return {"start_date/end_date", "no such day"};
    case calc::fee_error::negative_days:
        return {"days_before/days_after", "negative"};
    case calc::fee_error::invalid_amount:
        return {"amount", "more decimals than a money value holds"};
    case calc::fee_error::out_of_range:
        break;
    }
    // The surcharge is the amount times the days: too wide to hold exactly.
    return {"amount", "surcharge too large to compute exactly"};
}

// Reads the fields of the request into an engine input, or names the first
// field that cannot be read ("--from: no such day").
calc::result<calc::late_fee_input, std::string> read_request(const single_options& request) {
    calc::late_fee_input input;
    const auto amount = sheet::read_amount(request.amount);
    if (!amount) {
        return "--amount: " + words(amount.error());
    }
    input.amount_due = *amount;
    if (request.by_days) {
        input.mode = calc::entry_mode::by_days;
        const auto before = sheet::read_day_count(request.days_before);
        if (!before) {
            return "--days-before: " + words(before.error());
        }
        const auto after = sheet::read_day_count(request.days_after);
        if (!after) {
            return "--days-after: " + words(after.error());
        }
        input.days_before = *before;
        input.days_after = *after;
        return input;
    }
    input.mode = calc::entry_mode::by_dates;
    const auto from = sheet::read_date(request.from);
    if (!from) {
        return "--from: " + words(from.error());
    }
    const auto to = sheet::read_date(request.to);
    if (!to) {
        return "--to: " + words(to.error());
    }
    input.start_date = *from;
    input.end_date = *to;
    return input;
}

// The option a problem of a --due/--paid calculation concerns.
std::string_view option_of(sheet::column field) {
    switch (field) {
    case sheet::column::amount:
        return "--amount";
    case sheet::column::pay_date:
        return "--paid";
    default:
        return "--due";
    }
}

// --due and --paid are read and computed as a worksheet row of those two
// dates is, so both give the same figures. The first problem is reported.
// With --period, the filing calendar's deadline is the due date, and the
// output says where it comes from.
int run_due_and_paid(const single_options& given, std::ostream& out, std::ostream& err) {
    single_options request = given;
    std::string due_text;
    std::string note;
    std::string members;
    if (given.period) {
        const auto found = deadline_for("--period", *given.period);
        if (!found) {
            err << "orvandel-cli: " << found.error() << '\n';
            return 2;
        }
        due_text = calc::format_date_text(found->deadline.deadline).value_or("");
        request.due = due_text;
        note = calc::deadline_note(found->deadline);
        members = json_members(*found);
    }
    const sheet::row_outcome row = sheet::evaluate_row(
        {.amount = request.amount, .due_date = request.due, .pay_date = request.paid});
    if (!row.ok) {
        const sheet::row_problem& first = row.problems[0];
        // A row with neither date is told as the first date missing.
        const sheet::problem what =
            first.what == sheet::problem::no_period ? sheet::problem::missing : first.what;
        if (what == sheet::problem::out_of_range) {
            err << "orvandel-cli: amount: " << words(what) << '\n';
            return 1;
        }
        err << "orvandel-cli: " << option_of(first.field) << ": " << words(what) << '\n';
        return 2;
    }
    out << (request.json ? json_object(row.figures, members)
                         : readable_block(request, row.input, row.figures, note));
    return 0;
}

void json_number(std::string& out, std::string_view key, calc::day_count value) {
    out.append("\"").append(key).append("\":");
    sheet::append_count(out, value);
}

void json_money(std::string& out, std::string_view key, const calc::money& value) {
    out.append("\"").append(key).append("\":\"");
    sheet::append_money(out, value);
    out.append("\"");
}

// The two dates as given, then, when the tax was paid late, the same period as
// the form takes it: from the day after the due date to the day after the day
// paid. Paid in time, the block ends with a note saying so.
void append_due_and_paid(std::string& out, const single_options& request,
                         const calc::late_fee_input& input) {
    const auto title = [](sheet::column c) {
        return std::string(sheet::column_name(c, sheet::language::chinese)) + "=";
    };
    if (request.period) {
        line(out, title_of_period, *request.period);
    }
    line(out, title(sheet::column::due_date), request.due);
    line(out, title(sheet::column::pay_date), request.paid);
    const auto start = calc::format_date_text(input.start_date);
    const auto end = calc::format_date_text(input.end_date);
    if (start && end && input.start_date <= input.end_date) {
        line(out, text::start_date_label, *start);
        line(out, text::end_date_label, *end);
    }
}

} // namespace

std::string readable_block(const single_options& request, const calc::late_fee_input& input,
                           const calc::late_fee_result& figures, std::string_view deadline_note) {
    // The amount field shows the amount in its picture ("12345.67", ".00"),
    // and the formulas quote the field as it shows it.
    const std::string amount_text = calc::money_picture_text(input.amount_due);
    const std::string days_before_text = calc::default_text(figures.days_before);
    const std::string days_after_text = calc::default_text(figures.days_after);

    std::string out;
    line(out, text::amount_label, amount_text);
    if (request.by_days) {
        line(out, text::days_after_entry_label, calc::default_text(input.days_after));
        line(out, text::days_before_entry_label, calc::default_text(input.days_before));
    } else if (request.by_due_and_paid) {
        append_due_and_paid(out, request, input);
    } else {
        line(out, text::start_date_label, calc::format_date_text(input.start_date).value_or(""));
        line(out, text::end_date_label, calc::format_date_text(input.end_date).value_or(""));
    }
    line(out, text::total_days_label, calc::count_picture_text(figures.total_days));
    line(out, text::days_before_label, calc::count_picture_text(figures.days_before));
    line(out, text::days_after_label, calc::count_picture_text(figures.days_after));
    line(out, text::total_fee_label, calc::money_picture_text(figures.total_fee));
    line(out, text::fee_before_label, calc::money_picture_text(figures.fee_before));
    line(out, "", text::formula_before(amount_text, days_before_text, figures.fee_before));
    line(out, text::fee_after_label, calc::money_picture_text(figures.fee_after));
    line(out, "", text::formula_after(amount_text, days_after_text, figures.fee_after));
    line(out, text::tax_and_fee_label, calc::money_picture_text(figures.tax_and_fee_total));
    std::string note;
    if (request.by_due_and_paid && input.start_date > input.end_date) {
        note = not_overdue_note;
    }
    if (!deadline_note.empty()) {
        note += (note.empty() ? "" : note_separator);
        note += deadline_note;
    }
    if (!note.empty()) {
        line(out, title_of_note, note);
    }
    return out;
}

std::string json_object(const calc::late_fee_result& figures, std::string_view more_members) {
    std::string out = "{";
    json_number(out, "days_before", figures.days_before);
    out += ',';
    json_number(out, "days_after", figures.days_after);
    out += ',';
    json_number(out, "total_days", figures.total_days);
    out += ',';
    json_money(out, "fee_before", figures.fee_before);
    out += ',';
    json_money(out, "fee_after", figures.fee_after);
    out += ',';
    json_money(out, "total_fee", figures.total_fee);
    out += ',';
    json_money(out, "tax_and_fee_total", figures.tax_and_fee_total);
    if (!more_members.empty()) {
        out.append(",").append(more_members);
    }
    out += "}\n";
    return out;
}

int run_single(const single_options& request, std::ostream& out, std::ostream& err) {
    if (request.by_due_and_paid) {
        return run_due_and_paid(request, out, err);
    }
    const auto input = read_request(request);
    if (!input) {
        err << "orvandel-cli: " << input.error() << '\n';
        return 2;
    }
    const auto figures = calc::compute_late_fee(*input);
    if (!figures) {
        if (figures.error() == calc::fee_error::start_after_end) {
            err << text::start_after_end_message << '\n';
        } else {
            const fee_problem problem = describe(figures.error());
            err << "orvandel-cli: " << problem.field << ": " << problem.problem << '\n';
        }
        return 1;
    }
    out << (request.json ? json_object(*figures) : readable_block(request, *input, *figures));
    return 0;
}

} // namespace orvandel::cli
