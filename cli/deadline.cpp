#include "deadline.h"

#include "calc/date.h"
#include "calc/deadline_note.h"
#include "calc/rest_days.h"

namespace orvandel::cli {
namespace {

std::string date_text(const calc::date& d) {
    return calc::format_date_text(d).value_or("");
}

std::string_view json_rule(calc::deadline_rule rule) {
    switch (rule) {
    case calc::deadline_rule::published:
        return "published";
    case calc::deadline_rule::calendar:
        return "calendar";
    case calc::deadline_rule::working_day:
        break;
    }
    return "working-day";
}

// A JSON string: quotes, backslashes and control characters escaped, every
// other byte (UTF-8 included) as it is.
void append_json_string(std::string& out, std::string_view text) {
    constexpr std::string_view hex = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out.append("\\u00").append(1, hex[byte >> 4U]).append(1, hex[byte & 0xFU]);
        } else {
            out += c;
        }
    }
    out += '"';
}

void append_member(std::string& out, std::string_view key, std::string_view value) {
    if (!out.empty()) {
        out += ',';
    }
    append_json_string(out, key);
    out += ':';
    append_json_string(out, value);
}

std::string no_data_reason(std::string_view option, std::string_view text,
                           const calc::tax_period& period) {
    const calc::year_range known = calc::rest_day_years();
    return std::string(option) + " " + std::string(text) + ": the deadline falls in " +
           std::to_string(static_cast<int>(calc::due_month(period).year())) +
           ", a year with no published filing calendar or holiday data (they cover " +
           std::to_string(static_cast<int>(known.first)) + ".." +
           std::to_string(static_cast<int>(known.last)) + "); type the deadline with --due";
}

} // namespace

calc::result<period_deadline, std::string> deadline_for(std::string_view option,
                                                        std::string_view text) {
    const auto period = calc::parse_tax_period(text);
    if (!period) {
        switch (period.error()) {
        case calc::tax_period_error::empty:
            return std::string(option) + ": missing";
        case calc::tax_period_error::no_such_period:
            return std::string(option) + ": no such period";
        case calc::tax_period_error::bad_form:
            break;
        }
        return std::string(option) +
               ": not a tax period (2024-04, 2024年4月, 2024Q1 or 2024年第1季度)";
    }
    const auto deadline = calc::deadline_of(*period);
    if (!deadline) {
        return no_data_reason(option, text, *period);
    }
    return period_deadline{*period, *deadline};
}

std::string json_members(const period_deadline& found) {
    std::string out;
    append_member(out, "period", calc::format_tax_period(found.period));
    append_member(out, "deadline", date_text(found.deadline.deadline));
    append_member(out, "source", found.deadline.source);
    append_member(out, "rule", json_rule(found.deadline.rule));
    if (found.deadline.alternative) {
        append_member(out, "alternative", date_text(*found.deadline.alternative));
    }
    return out;
}

std::string readable_line(const period_deadline& found) {
    const calc::filing_deadline& d = found.deadline;
    std::string line = calc::chinese_tax_period(found.period);
    line.append("的缴款期限：").append(date_text(d.deadline)).append("（").append(d.source);
    if (d.rule != calc::deadline_rule::published) {
        line.append("，").append(calc::rule_description(d.rule));
        if (d.alternative) {
            line.append("；另一算法：").append(date_text(*d.alternative));
        }
    }
    return line.append("）");
}

int run_deadline(const deadline_options& request, std::ostream& out, std::ostream& err) {
    const auto found = deadline_for("--deadline", request.period);
    if (!found) {
        err << "orvandel-cli: " << found.error() << '\n';
        return 2;
    }
    // Written piece by piece: "{" + members would be an insert at 0, for
    // which MinGW's GCC 12 reports a false -Wrestrict.
    if (request.json) {
        out << '{' << json_members(*found) << "}\n";
    } else {
        out << readable_line(*found) << '\n';
    }
    return 0;
}

} // namespace orvandel::cli
