#include "text_form.h"

#include "wide.h"

#include <algorithm>

namespace orvandel::calc {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

result<money, number_text_error> parse_decimal_text(std::string_view text, int max_integer_digits,
                                                    int max_decimals) {
    if (text.empty()) {
        return number_text_error::empty;
    }
    const std::size_t point = text.find('.');
    const std::string_view integer_part = text.substr(0, point);
    const std::string_view fraction_part =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    const bool all_digits = std::all_of(integer_part.begin(), integer_part.end(), is_digit) &&
                            std::all_of(fraction_part.begin(), fraction_part.end(), is_digit);
    if (!all_digits || integer_part.size() + fraction_part.size() == 0) {
        return number_text_error::not_a_number;
    }
    if (integer_part.size() > static_cast<std::size_t>(max_integer_digits)) {
        return number_text_error::too_many_integer_digits;
    }
    if (fraction_part.size() > static_cast<std::size_t>(max_decimals)) {
        return number_text_error::too_many_decimals;
    }
    // Eighteen digits always fit 64 bits; only wider limits a caller may pass
    // need the checked path.
    std::int64_t coefficient = 0;
    const bool fits = integer_part.size() + fraction_part.size() <= 18;
    for (const std::string_view part : {integer_part, fraction_part}) {
        for (const char c : part) {
            if (fits) {
                coefficient = coefficient * 10 + (c - '0');
                continue;
            }
            const auto shifted = detail::checked_multiply(coefficient, 10);
            const auto next = shifted ? detail::checked_add(*shifted, c - '0') : std::nullopt;
            if (!next) {
                return number_text_error::too_many_integer_digits;
            }
            coefficient = *next;
        }
    }
    return money{coefficient, static_cast<int>(fraction_part.size())};
}

result<money, number_text_error> parse_amount_text(std::string_view text) {
    return parse_decimal_text(text, amount_integer_digits, amount_decimals);
}

result<day_count, number_text_error> parse_day_count_text(std::string_view text) {
    if (text.find('.') != std::string_view::npos) {
        return number_text_error::not_a_number; // a count of days has no point, not even "5."
    }
    const auto value = parse_decimal_text(text, day_count_digits, 0);
    if (!value) {
        return value.error();
    }
    return value->coefficient;
}

std::string default_text(day_count value) {
    return std::to_string(value);
}

std::string money_picture_text(const money& value) {
    const auto rounded = round_money(value);
    if (!rounded) {
        return "#";
    }
    std::string text = default_text(*rounded);
    // "0.40" -> ".40", "-0.40" -> "-.40": the picture prints no leading zero.
    const std::size_t first_digit = text[0] == '-' ? 1 : 0;
    if (text.compare(first_digit, 2, "0.") == 0) {
        text.erase(first_digit, 1);
    }
    return text;
}

std::string count_picture_text(day_count value) {
    return std::to_string(value);
}

} // namespace orvandel::calc
