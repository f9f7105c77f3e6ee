#include "number_text.h"

#include <algorithm>
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

namespace {

// Reads a run of digits from `p` into `value`; returns where the run ends.
// Eighteen digits always fit 64 bits, so only longer texts are checked.
template <bool may_overflow>
const char* read_digits(const char* p, const char* end, std::uint64_t& value, bool& overflow) {
    for (; p != end && is_digit(*p); ++p) {
        const auto digit = static_cast<std::uint64_t>(*p - '0');
        if constexpr (may_overflow) {
            overflow = overflow || value > (max_coefficient - digit) / 10U;
        }
        value = value * 10U + digit;
    }
    return p;
}

template <bool may_overflow>
result<money, number_text_error> read_decimal(std::string_view text, int max_integer_digits,
                                              int max_decimals) {
    // Digits, then optionally "." and more digits, then nothing.
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    std::uint64_t coefficient = 0;
    bool overflow = false;
    const char* p = read_digits<may_overflow>(begin, end, coefficient, overflow);
    const auto integer_digits = static_cast<std::size_t>(p - begin);
    std::size_t decimals = 0;
    if (p != end && *p == '.') {
        const char* const fraction = p + 1;
        p = read_digits<may_overflow>(fraction, end, coefficient, overflow);
        decimals = static_cast<std::size_t>(p - fraction);
    }
    if (p != end || integer_digits + decimals == 0) {
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

} // namespace

result<money, number_text_error> parse_decimal_text(std::string_view text, int max_integer_digits,
                                                    int max_decimals) {
    if (text.empty()) {
        return number_text_error::empty;
    }
    return text.size() <= 18 ? read_decimal<false>(text, max_integer_digits, max_decimals)
                             : read_decimal<true>(text, max_integer_digits, max_decimals);
}

result<money, number_text_error> parse_amount_text(std::string_view text) {
    return parse_decimal_text(text, amount_integer_digits, amount_decimals);
}

result<day_count, number_text_error> parse_day_count_text(std::string_view text) {
    if (text.empty()) {
        return number_text_error::empty;
    }
    if (!std::all_of(text.begin(), text.end(), is_digit)) {
        return number_text_error::not_a_number; // no point either, not even "5."
    }
    if (text.size() > day_count_digits) {
        return number_text_error::too_many_integer_digits;
    }
    day_count value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
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

std::string grouped_text(const money& value) {
    const auto rounded = round_money(value);
    if (!rounded) {
        return "#";
    }
    const std::string plain = default_text(*rounded);
    const std::size_t first_digit = plain[0] == '-' ? 1 : 0;
    const std::size_t point = plain.find('.');
    std::string text = plain.substr(0, first_digit);
    for (std::size_t i = first_digit; i < point; ++i) {
        if (i > first_digit && (point - i) % 3 == 0) {
            text.push_back(',');
        }
        text.push_back(plain[i]);
    }
    return text.append(plain, point);
}

std::string count_picture_text(day_count value) {
    return std::to_string(value);
}

} // namespace orvandel::calc
