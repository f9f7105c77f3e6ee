#include "pasted_text.h"

#include "date.h"
#include "number_text.h"
#include "utf8.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <utility>

namespace orvandel::calc {
namespace {

// A pasted text is first brought to one byte per character ("symbols"):
// digits, letters and ASCII punctuation stand for themselves (full-width forms
// included), every blank becomes ' ', and the few other characters with a
// meaning become the control bytes below. Anything else, ASCII control
// characters included, becomes `other`, which no form accepts; so a control
// byte in the pasted text never passes for one of these marks.
constexpr char blank = ' ';
constexpr char other = '\x01';
constexpr char currency_sign = '\x02'; // ¥ U+00A5, ￥ U+FFE5
constexpr char yuan_mark = '\x03';     // 元
constexpr char year_mark = '\x04';     // 年
constexpr char month_mark = '\x05';    // 月
constexpr char day_mark = '\x06';      // 日

char symbol_for(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0; // full-width forms of "!" to "~"
    }
    switch (c) {
    case U' ':
    case U'\t':
    case U'\r':
    case U'\n':
    case 0x00A0: // no-break space
    case 0x3000: // ideographic space
        return blank;
    case 0x00A5:
    case 0xFFE5:
        return currency_sign;
    case 0x2212: // minus sign
        return '-';
    case 0x5143:
        return yuan_mark;
    case 0x5E74:
        return year_mark;
    case 0x6708:
        return month_mark;
    case 0x65E5:
        return day_mark;
    default:
        break;
    }
    return c > 0x20 && c < 0x7F ? static_cast<char>(c) : other;
}

// The symbols of `text` without the blanks around them (see above), or
// nothing when `text` is not well-formed UTF-8.
std::optional<std::string> symbols_of(std::string_view text) {
    std::string symbols;
    symbols.reserve(text.size());
    while (!text.empty()) {
        const utf8_char c = decode_utf8(text, 0);
        if (c.length == 0) {
            return std::nullopt;
        }
        symbols.push_back(symbol_for(c.code));
        text.remove_prefix(c.length);
    }
    const std::size_t first = symbols.find_first_not_of(blank);
    if (first == std::string::npos) {
        return std::string();
    }
    symbols.erase(symbols.find_last_not_of(blank) + 1);
    symbols.erase(0, first);
    return symbols;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool all_digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), is_digit);
}

unsigned value_of(std::string_view digits) {
    unsigned value = 0;
    for (const char c : digits) {
        value = value * 10U + static_cast<unsigned>(c - '0');
    }
    return value;
}

// Commas between groups of three digits, the first group of one to three
// digits that does not start with 0 ("0,123" is more likely a decimal comma).
bool grouped_in_threes(std::string_view integer) {
    const std::size_t first_comma = integer.find(',');
    if (first_comma == 0 || first_comma > 3 || integer.front() == '0') {
        return false;
    }
    const std::string_view rest = integer.substr(first_comma);
    if (rest.size() % 4 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < rest.size(); i += 4) {
        if (rest[i] != ',' || !all_digits(rest.substr(i + 1, 3))) {
            return false;
        }
    }
    return true;
}

// "yyyy-mm-dd" for a four-digit year and a month and day of one or two digits,
// if that names a day of the years 0001..9999.
result<std::string, paste_error> date_from_parts(std::string_view year_digits,
                                                 std::string_view month_digits,
                                                 std::string_view day_digits) {
    const auto y = static_cast<int>(value_of(year_digits));
    if (y == 0) {
        return paste_error::date_year_out_of_range;
    }
    const date d{std::chrono::year{y}, std::chrono::month{value_of(month_digits)},
                 std::chrono::day{value_of(day_digits)}};
    if (!d.ok()) {
        return paste_error::date_no_such_day;
    }
    // The digits as given, the month and day padded to two: the year has four
    // already, so no value needs to be written out again.
    std::string text;
    text.reserve(10);
    text.append(year_digits).push_back('-');
    text.append(2 - month_digits.size(), '0').append(month_digits).push_back('-');
    text.append(2 - day_digits.size(), '0').append(day_digits);
    return text;
}

bool is_date_separator(char c) {
    return c == '-' || c == '/' || c == '.';
}

bool month_or_day_width(std::string_view digits) {
    return digits.size() == 1 || digits.size() == 2;
}

} // namespace

std::string_view paste_error_text(paste_error error) {
    switch (error) {
    case paste_error::empty:
        return "内容为空";
    case paste_error::amount_unrecognised:
        return "无法识别的金额";
    case paste_error::amount_negative:
        return "金额不能为负数";
    case paste_error::amount_bad_grouping:
        return "金额的千位分隔符位置不对";
    case paste_error::amount_too_many_integer_digits:
        return "金额的整数部分最多12位";
    case paste_error::amount_too_many_decimals:
        return "金额最多两位小数";
    case paste_error::date_unrecognised:
        return "无法识别的日期";
    case paste_error::date_not_year_first:
        return "日期应按年-月-日的顺序";
    case paste_error::date_mixed_separators:
        return "日期的分隔符不一致";
    case paste_error::date_year_out_of_range:
        return "年份应在0001至9999之间";
    case paste_error::date_no_such_day:
        return "没有这一天";
    case paste_error::day_count_unrecognised:
        return "无法识别的天数";
    case paste_error::day_count_too_many_digits:
        return "天数最多6位";
    }
    return "无法识别的内容";
}

result<std::string, paste_error> normalise_pasted_amount(std::string_view text) {
    const auto symbols = symbols_of(text);
    if (!symbols) {
        return paste_error::amount_unrecognised;
    }
    std::string_view figure = *symbols;
    if (figure.empty()) {
        return paste_error::empty;
    }
    // What may stand around the figure: blanks, a currency sign before it,
    // "元" after it, and the marks of a negative amount, each at most once.
    int minus_signs = 0;
    int currency_signs = 0;
    int yuan_marks = 0;
    int opening = 0;
    int closing = 0;
    for (; !figure.empty() && !is_digit(figure.front()); figure.remove_prefix(1)) {
        const char c = figure.front();
        if (c == '.' || c == ',') {
            break;
        }
        minus_signs += c == '-' ? 1 : 0;
        currency_signs += c == currency_sign ? 1 : 0;
        opening += c == '(' ? 1 : 0;
        if (c != blank && c != '-' && c != currency_sign && c != '(') {
            return paste_error::amount_unrecognised;
        }
    }
    for (; !figure.empty() && !is_digit(figure.back()); figure.remove_suffix(1)) {
        const char c = figure.back();
        if (c == '.' || c == ',') {
            break;
        }
        minus_signs += c == '-' ? 1 : 0;
        yuan_marks += c == yuan_mark ? 1 : 0;
        closing += c == ')' ? 1 : 0;
        if (c != blank && c != '-' && c != yuan_mark && c != ')') {
            return paste_error::amount_unrecognised;
        }
    }
    if (figure.empty() || minus_signs > 1 || currency_signs > 1 || yuan_marks > 1 || opening > 1 ||
        opening != closing) {
        return paste_error::amount_unrecognised;
    }

    // The figure: integer digits, perhaps grouped, then perhaps "." and decimals.
    const std::size_t point = figure.find('.');
    const std::string_view integer = figure.substr(0, point);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : figure.substr(point + 1);
    const bool no_digits =
        std::none_of(integer.begin(), integer.end(), is_digit) && decimals.empty();
    const bool digits_and_commas =
        std::all_of(integer.begin(), integer.end(), [](char c) { return is_digit(c) || c == ','; });
    if (!digits_and_commas || !all_digits(decimals) || no_digits) {
        return paste_error::amount_unrecognised;
    }
    if (minus_signs + opening > 0) {
        return paste_error::amount_negative;
    }
    if (integer.find(',') != std::string_view::npos && !grouped_in_threes(integer)) {
        return paste_error::amount_bad_grouping;
    }
    std::string amount;
    amount.reserve(static_cast<std::size_t>(amount_integer_digits + 1 + amount_decimals));
    for (const char c : integer) {
        if (c != ',' && (c != '0' || !amount.empty())) {
            amount.push_back(c);
        }
    }
    if (amount.size() > static_cast<std::size_t>(amount_integer_digits)) {
        return paste_error::amount_too_many_integer_digits;
    }
    if (decimals.size() > static_cast<std::size_t>(amount_decimals)) {
        return paste_error::amount_too_many_decimals;
    }
    amount.push_back('.');
    amount.append(decimals);
    amount.append(static_cast<std::size_t>(amount_decimals) - decimals.size(), '0');
    return amount;
}

result<std::string, paste_error> normalise_pasted_date(std::string_view text) {
    const auto symbols = symbols_of(text);
    if (!symbols) {
        return paste_error::date_unrecognised;
    }
    std::string_view rest = *symbols;
    if (rest.empty()) {
        return paste_error::empty;
    }
    // "yyyy年m月d日": the marks take the place of the separators.
    const bool chinese = rest.back() == day_mark;
    if (chinese) {
        rest.remove_suffix(1);
    }
    // Up to three runs of digits, one symbol between each two.
    std::array<std::string_view, 3> parts;
    std::array<char, 2> separators{};
    std::size_t count = 0;
    for (;;) {
        const auto run = static_cast<std::size_t>(
            std::find_if_not(rest.begin(), rest.end(), is_digit) - rest.begin());
        if (run == 0 || count == parts.size()) {
            return paste_error::date_unrecognised;
        }
        parts[count++] = rest.substr(0, run);
        rest.remove_prefix(run);
        if (rest.empty()) {
            break;
        }
        if (count < parts.size()) {
            separators[count - 1] = rest.front();
        }
        rest.remove_prefix(1);
    }
    if (count == 1 && !chinese && parts[0].size() == 8) {
        return date_from_parts(parts[0].substr(0, 4), parts[0].substr(4, 2), parts[0].substr(6, 2));
    }
    if (count != 3) {
        return paste_error::date_unrecognised;
    }
    if (chinese) {
        if (separators[0] != year_mark || separators[1] != month_mark) {
            return paste_error::date_unrecognised;
        }
    } else {
        if (!is_date_separator(separators[0]) || !is_date_separator(separators[1])) {
            return paste_error::date_unrecognised;
        }
        if (separators[0] != separators[1]) {
            return paste_error::date_mixed_separators;
        }
    }
    const auto& [first, middle, last] = parts;
    if (!month_or_day_width(middle)) {
        return paste_error::date_unrecognised;
    }
    if (first.size() == 4 && month_or_day_width(last)) {
        return date_from_parts(first, middle, last);
    }
    if (first.size() > 4 && month_or_day_width(last)) {
        return paste_error::date_year_out_of_range;
    }
    if (!chinese && month_or_day_width(first) && last.size() == 4) {
        return paste_error::date_not_year_first;
    }
    return paste_error::date_unrecognised;
}

result<std::string, paste_error> normalise_pasted_day_count(std::string_view text) {
    auto symbols = symbols_of(text);
    if (!symbols) {
        return paste_error::day_count_unrecognised;
    }
    if (symbols->empty()) {
        return paste_error::empty;
    }
    if (!all_digits(*symbols)) {
        return paste_error::day_count_unrecognised;
    }
    if (symbols->size() > static_cast<std::size_t>(day_count_digits)) {
        return paste_error::day_count_too_many_digits;
    }
    return std::move(*symbols);
}

} // namespace orvandel::calc
