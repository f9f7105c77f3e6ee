#include "text_form.h"

#include <cstdint>
#include <limits>

namespace orvandel::calc {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

constexpr auto max_coefficient =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

} // namespace

result<money, number_text_error> parse_decimal_text(std::string_view text, int max_integer_digits,
                                                    int max_decimals) {
    if (text.empty()) {
        return number_text_error::empty;
    }
    // One pass: digits before the point, then digits after it.
    std::size_t integer_digits = 0;
    std::size_t decimals = 0;
    bool seen_point = false;
    std::uint64_t coefficient = 0;
    bool overflow = false;
    for (const char c : text) {
        if (c == '.' && !seen_point) {
            seen_point = true;
            continue;
        }
        if (!is_digit(c)) {
            return number_text_error::not_a_number;
        }
        ++(seen_point ? decimals : integer_digits);
        const auto digit = static_cast<std::uint64_t>(c - '0');
        // Eighteen digits always fit; only wider limits a caller may pass
        // need the check.
        if (integer_digits + decimals > 18) {
            overflow = overflow || coefficient > (max_coefficient - digit) / 10U;
        }
        coefficient = coefficient * 10U + digit;
    }
    if (integer_digits + decimals == 0) {
        return number_text_error::not_a_number;
    }
    if (integer_digits > static_cast<std::size_t>(max_integer_digits) || overflow) {
        return number_text_error::too_many_integer_digits;
    }
    if (decimals > static_cast<std::size_t>(max_decimals)) {
        return number_text_error::too_many_decimals;
    }
    return money{static_cast<std::int64_t>(coefficient), static_cast<int>(decimals)};
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
