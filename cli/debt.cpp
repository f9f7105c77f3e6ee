#include "debt.h"

#include "run_cli.h"

#include "calc/debt_labels.h"
#include "calc/fee.h"
#include "calc/form_labels.h"
#include "calc/number_text.h"

#include "sheet/columns.h"
#include "sheet/debt_working.h"
#include "sheet/figure_text.h"
#include "sheet/row.h"

namespace orvandel::cli {
namespace {

namespace labels = calc::debt_labels;

std::string words(sheet::problem what) {
    return std::string(sheet::problem_text(what, sheet::language::english));
}

std::string money_text(const calc::money& value) {
    std::string text;
    sheet::append_money(text, value);
    return text;
}

std::string date_text(const calc::date& day) {
    return calc::format_date_text(day).value_or("");
}

// A payment "DATE=AMOUNT" read, or why not ("date: no such day").
calc::result<calc::debt_payment, std::string> read_payment(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return std::string("give DATE=AMOUNT");
    }
    const auto day = sheet::read_date(text.substr(0, equals));
    if (!day) {
        return "date: " + words(day.error());
    }
    const auto amount = sheet::read_amount(text.substr(equals + 1));
    if (!amount) {
        return "amount: " + words(amount.error());
    }
    return calc::debt_payment{*day, *amount};
}

// Reads the date of an option given into `into`; why not, when it cannot.
std::optional<std::string> read_date_option(const std::optional<std::string_view>& given,
                                            std::string_view option,
                                            std::optional<calc::date>& into) {
    if (!given) {
        return std::nullopt;
    }
    const auto day = sheet::read_date(*given);
    if (!day) {
        return std::string(option) + ": " + words(day.error());
    }
    into = *day;
    return std::nullopt;
}

// The engine's input from the command line, or the first value that cannot
// be read, named by its option ("--due: no such day").
calc::result<calc::debt_input, std::string> read_request(const debt_options& request) {
    calc::debt_input input;
    const auto amount = sheet::read_amount(request.amount);
    if (!amount) {
        return "--amount: " + words(amount.error());
    }
    input.tax = *amount;
    const auto due = sheet::read_date(request.due);
    if (!due) {
        return "--due: " + words(due.error());
    }
    input.due_date = *due;
    for (const std::string_view text : request.payments) {
        auto payment = read_payment(text);
        if (!payment) {
            return "--payment " + std::string(text) + ": " + payment.error();
        }
        input.payments.push_back(*payment);
    }
    if (auto why = read_date_option(request.as_of, "--as-of", input.as_of)) {
        return std::move(*why);
    }
    if (auto why = read_date_option(request.stop, "--stop", input.stop_date)) {
        return std::move(*why);
    }
    return input;
}

// What the engine refused, told in the options' terms.
std::string describe(const calc::debt_problem& problem, const debt_options& request) {
    const auto payment = [&](std::string_view what) {
        return "--payment " + std::string(request.payments[problem.payment]) + ": " +
               std::string(what);
    };
    switch (problem.error) {
    case calc::debt_error::tax_too_many_decimals:
    case calc::debt_error::tax_out_of_range:
        return "--amount: out of range";
    case calc::debt_error::invalid_due_date:
        return "--due: no such day";
    case calc::debt_error::invalid_stop_date:
        return "--stop: no such day";
    case calc::debt_error::stop_before_due:
        return "--stop: before --due";
    case calc::debt_error::invalid_as_of:
        return "--as-of: no such day";
    case calc::debt_error::invalid_payment_date:
        return payment("date: no such day");
    case calc::debt_error::payment_too_many_decimals:
    case calc::debt_error::payment_out_of_range:
        return payment("amount: out of range");
    case calc::debt_error::payment_not_positive:
        return payment("amount: not above zero");
    case calc::debt_error::payment_out_of_order:
        return payment("dated before the payment given before it");
    case calc::debt_error::as_of_before_payment:
        return "--as-of: before the last payment, and tax is still owed after it";
    case calc::debt_error::no_end_of_accrual:
        return "tax is still owed after the last payment: give --as-of DATE, the last day "
               "its surcharge runs";
    case calc::debt_error::out_of_range:
        break;
    }
    return "the payments are too large to add up exactly";
}

void line(std::string& out, std::string_view label, std::string_view value) {
    out.append(label).append("=").append(value).append("\n");
}

void append_payment(std::string& out, const calc::payment_allocation& p) {
    out.append(sheet::payment_heading(p)).append("：");
    out.append(sheet::allocation_line(p)).append("\n");
    // The share of a 配比 payment that did not cover both, worked out.
    if (const std::string share = sheet::share_line(p); !share.empty()) {
        out.append("  ").append(share).append("\n");
    }
}

void json_money(std::string& out, std::string_view key, const calc::money& value) {
    out.append("\"").append(key).append("\":\"");
    sheet::append_money(out, value);
    out.append("\",");
}

void json_text(std::string& out, std::string_view key, std::string_view value) {
    out.append("\"").append(key).append("\":\"").append(value).append("\",");
}

void json_count(std::string& out, std::string_view key, calc::day_count value) {
    out.append("\"").append(key).append("\":");
    sheet::append_count(out, value);
    out.append(",");
}

// Replaces the comma after the last member with the closing bracket.
void close(std::string& out, char bracket) {
    if (out.back() == ',') {
        out.back() = bracket;
    } else {
        out += bracket;
    }
}

std::string_view json_name(calc::segment_end ends) {
    switch (ends) {
    case calc::segment_end::stop_date:
        return "stop_date";
    case calc::segment_end::as_of:
        return "as_of";
    case calc::segment_end::payment:
        break;
    }
    return "payment";
}

std::string_view json_name(calc::allocation_rule rule) {
    switch (rule) {
    case calc::allocation_rule::before_deadline:
        return "before_deadline";
    case calc::allocation_rule::proportional:
        return "proportional";
    case calc::allocation_rule::tax_first:
        break;
    }
    return "tax_first";
}

} // namespace

std::string debt_table(const calc::debt_input& input, const calc::debt_result& figures) {
    std::string out;
    const std::string_view amount_label = calc::form_labels::amount_label;
    out.append(amount_label).append(money_text(figures.tax)).append("\n");
    line(out, sheet::column_name(sheet::column::due_date, sheet::language::chinese),
         date_text(input.due_date));
    if (input.as_of) {
        line(out, sheet::as_of_label, date_text(*input.as_of));
    }
    if (input.stop_date) {
        line(out, labels::stop_date, date_text(*input.stop_date));
    }
    if (!figures.segments.empty()) {
        out.append("分段计算：\n");
        for (const calc::debt_segment& s : figures.segments) {
            out.append(sheet::segment_line(s)).append("\n");
        }
    }
    if (!figures.payments.empty()) {
        out.append("缴款分配：\n");
        for (const calc::payment_allocation& p : figures.payments) {
            append_payment(out, p);
        }
    }
    out.append(calc::form_labels::total_fee_label).append(money_text(figures.total_fee));
    out.append("\n");
    line(out, labels::capped_total_fee, money_text(figures.capped_total_fee));
    line(out, "已缴滞纳金", money_text(figures.fee_paid));
    line(out, "尚欠滞纳金", money_text(figures.fee_outstanding));
    line(out, "尚欠税款", money_text(figures.tax_outstanding));
    line(out, labels::excess, money_text(figures.excess));
    return out;
}

std::string debt_json(const calc::debt_result& figures) {
    std::string out = "{";
    json_money(out, "tax", figures.tax);
    json_money(out, "total_fee", figures.total_fee);
    json_money(out, "capped_total_fee", figures.capped_total_fee);
    json_money(out, "fee_paid", figures.fee_paid);
    json_money(out, "fee_outstanding", figures.fee_outstanding);
    json_money(out, "tax_outstanding", figures.tax_outstanding);
    json_money(out, "excess", figures.excess);
    out += "\"segments\":[";
    for (const calc::debt_segment& s : figures.segments) {
        out += '{';
        json_text(out, "start", date_text(s.start));
        json_text(out, "end", date_text(s.end));
        json_text(out, "ends", json_name(s.ends));
        json_money(out, "tax", s.tax);
        json_count(out, "days_before", s.days_before);
        json_count(out, "days_after", s.days_after);
        json_money(out, "fee_before", s.fee_before);
        json_money(out, "fee_after", s.fee_after);
        json_money(out, "total_fee", s.total_fee);
        close(out, '}');
        out += ',';
    }
    close(out, ']');
    out += ",\"payments\":[";
    for (const calc::payment_allocation& p : figures.payments) {
        out += '{';
        json_text(out, "date", date_text(p.day));
        json_money(out, "amount", p.amount);
        json_text(out, "rule", json_name(p.rule));
        json_money(out, "tax_due", p.tax_due);
        json_money(out, "fee_due", p.fee_due);
        json_money(out, "to_tax", p.to_tax);
        json_money(out, "to_fee", p.to_fee);
        json_money(out, "excess", p.excess);
        json_money(out, "tax_outstanding", p.tax_outstanding);
        json_money(out, "fee_outstanding", p.fee_outstanding);
        close(out, '}');
        out += ',';
    }
    close(out, ']');
    out += "}\n";
    return out;
}

int run_debt(const debt_options& request, std::ostream& out, std::ostream& err) {
    const auto input = read_request(request);
    if (!input) {
        err << "orvandel-cli: " << input.error() << '\n';
        return exit_usage;
    }
    const auto figures = calc::compute_debt(*input);
    if (!figures) {
        err << "orvandel-cli: " << describe(figures.error(), request) << '\n';
        return figures.error().error == calc::debt_error::out_of_range ? exit_refused : exit_usage;
    }
    out << (request.json ? debt_json(*figures) : debt_table(*input, *figures));
    return exit_ok;
}

} // namespace orvandel::cli
