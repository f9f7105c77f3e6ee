#include "tax_period.h"

#include <algorithm>

namespace orvandel::calc {
namespace {

constexpr std::string_view year_mark = "年";
constexpr std::string_view month_mark = "月";
constexpr std::string_view quarter_open = "年第";
constexpr std::string_view quarter_mark = "季度";

bool all_digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

unsigned number_of(std::string_view digits) {
    unsigned value = 0;
    for (const char c : digits) {
        value = value * 10U + static_cast<unsigned>(c - '0');
    }
    return value;
}

// The period once the form is known good: the year's four digits and the
// number's digits, checked against the calendar.
result<tax_period, tax_period_error> period_of(std::string_view year, period_length length,
                                               std::string_view number) {
    if (year.size() != 4 || !all_digits(year) || !all_digits(number)) {
        return tax_period_error::bad_form;
    }
    const tax_period period{std::chrono::year{static_cast<int>(number_of(year))}, length,
                            number_of(number)};
    const unsigned last = length == period_length::month ? 12U : 4U;
    if (period.year == std::chrono::year{0} || period.number < 1 || period.number > last) {
        return tax_period_error::no_such_period;
    }
    return period;
}

// "2024年4月", "2024年04月" or "2024年第1季度"; the text starts with four bytes
// and 年.
result<tax_period, tax_period_error> chinese_form(std::string_view text) {
    const std::string_view year = text.substr(0, 4);
    std::string_view rest = text.substr(4);
    if (rest.starts_with(quarter_open) && rest.ends_with(quarter_mark)) {
        // 第 is not 季, so the two marks cannot overlap.
        rest = rest.substr(quarter_open.size(),
                           rest.size() - quarter_open.size() - quarter_mark.size());
        if (rest.size() != 1) {
            return tax_period_error::bad_form;
        }
        return period_of(year, period_length::quarter, rest);
    }
    if (rest.size() > year_mark.size() + month_mark.size() && rest.starts_with(year_mark) &&
        rest.ends_with(month_mark)) {
        rest = rest.substr(year_mark.size(), rest.size() - year_mark.size() - month_mark.size());
        if (rest.size() > 2) {
            return tax_period_error::bad_form;
        }
        return period_of(year, period_length::month, rest);
    }
    return tax_period_error::bad_form;
}

void append_number(std::string& out, unsigned value, std::size_t width) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10U));
        value /= 10U;
    } while (value != 0);
    if (digits.size() < width) {
        out.append(width - digits.size(), '0');
    }
    out += digits;
}

unsigned year_number(std::chrono::year y) {
    return static_cast<unsigned>(static_cast<int>(y));
}

} // namespace

result<tax_period, tax_period_error> parse_tax_period(std::string_view text) {
    if (text.empty()) {
        return tax_period_error::empty;
    }
    if (text.size() == 7 && text[4] == '-') {
        return period_of(text.substr(0, 4), period_length::month, text.substr(5));
    }
    if (text.size() == 6 && (text[4] == 'Q' || text[4] == 'q')) {
        return period_of(text.substr(0, 4), period_length::quarter, text.substr(5));
    }
    if (text.size() > 4 && text.substr(4).starts_with(year_mark)) {
        return chinese_form(text);
    }
    return tax_period_error::bad_form;
}

std::string format_tax_period(const tax_period& period) {
    std::string out;
    append_number(out, year_number(period.year), 4);
    if (period.length == period_length::month) {
        out += '-';
        append_number(out, period.number, 2);
    } else {
        out += 'Q';
        append_number(out, period.number, 1);
    }
    return out;
}

std::string chinese_tax_period(const tax_period& period) {
    std::string out;
    append_number(out, year_number(period.year), 4);
    if (period.length == period_length::month) {
        out += year_mark;
        append_number(out, period.number, 1);
        out += month_mark;
    } else {
        out += quarter_open;
        append_number(out, period.number, 1);
        out += quarter_mark;
    }
    return out;
}

std::chrono::year_month due_month(const tax_period& period) {
    const unsigned last_month =
        period.length == period_length::month ? period.number : period.number * 3U;
    return std::chrono::year_month{period.year, std::chrono::month{last_month}} +
           std::chrono::months{1};
}

} // namespace orvandel::calc
