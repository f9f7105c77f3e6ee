#include "field_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orvandel::cli {
namespace {

field_problem describe(calc::number_text_error error, std::string_view too_many_integer_digits) {
    switch (error) {
    case calc::number_text_error::empty:
        return "missing";
    case calc::number_text_error::not_a_number:
        return "not a number";
    case calc::number_text_error::too_many_integer_digits:
        return too_many_integer_digits;
    case calc::number_text_error::too_many_decimals:
        return "more than 2 decimals";
    }
    return "not a number";
}

bool only_digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

calc::result<calc::money, field_problem> read_amount(std::string_view text) {
    const auto amount = calc::parse_amount_text(text);
    if (!amount) {
        return describe(amount.error(), "more than 12 integer digits");
    }
    return *amount;
}

calc::result<calc::day_count, field_problem> read_day_count(std::string_view text) {
    if (text.empty()) {
        return field_problem{"missing"};
    }
    // The day fields take digits only; "5." or "5.0" is not a day count.
    if (!only_digits(text)) {
        return field_problem{"not a whole number"};
    }
    const auto days = calc::parse_day_count_text(text);
    if (!days) {
        return describe(days.error(), "more than 6 digits");
    }
    return *days;
}

calc::result<calc::date, field_problem> read_date(std::string_view text) {
    const auto d = calc::parse_date_text(text);
    if (d) {
        return *d;
    }
    switch (d.error()) {
    case calc::date_text_error::empty:
        return field_problem{"missing"};
    case calc::date_text_error::no_such_day:
        return field_problem{"no such day"};
    case calc::date_text_error::bad_form:
        break;
    }
    return field_problem{"not a yyyy-mm-dd date"};
}

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

calc::money at_two_places(const calc::money& value) {
    if (value.scale == calc::money_places) {
        return value;
    }
    // Only ever extends (an amount has at most two decimals), so never rounds.
    const auto extended = calc::round_money(value);
    return extended ? *extended : value;
}

void append_money(std::string& out, const calc::money& value) {
    const calc::money cents = at_two_places(value);
    if (cents.scale != calc::money_places) {
        out += calc::default_text(cents); // cannot be extended: written as it is
        return;
    }
    char text[figure_room];
    out.append(text, static_cast<std::size_t>(write_cents(text, cents) - text));
}

void append_count(std::string& out, calc::day_count value) {
    char text[figure_room];
    out.append(text, static_cast<std::size_t>(write_count(text, value) - text));
}

} // namespace orvandel::cli
