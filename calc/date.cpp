#include "date.h"

#include <array>

namespace orvandel::calc {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The value of `count` digits from `text` at `pos`; the caller has checked
// that they are digits.
unsigned read_number(std::string_view text, std::size_t pos, std::size_t count) {
    unsigned value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        value = value * 10U + static_cast<unsigned>(text[i] - '0');
    }
    return value;
}

} // namespace

result<date, date_text_error> parse_date_text(std::string_view text) {
    if (text.empty()) {
        return date_text_error::empty;
    }
    // Positions of "yyyy-mm-dd".
    constexpr std::array<std::size_t, 8> digit_positions{0, 1, 2, 3, 5, 6, 8, 9};
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return date_text_error::bad_form;
    }
    for (const std::size_t pos : digit_positions) {
        if (!is_digit(text[pos])) {
            return date_text_error::bad_form;
        }
    }
    const auto y = static_cast<int>(read_number(text, 0, 4));
    const date d{std::chrono::year{y}, std::chrono::month{read_number(text, 5, 2)},
                 std::chrono::day{read_number(text, 8, 2)}};
    if (!is_calendar_day(d)) {
        return date_text_error::no_such_day;
    }
    return d;
}

bool is_calendar_day(const date& d) {
    return d.ok() && d.year() >= std::chrono::year{1} && d.year() <= std::chrono::year{9999};
}

std::optional<std::string> format_date_text(const date& d) {
    if (!is_calendar_day(d)) {
        return std::nullopt; // four year digits could not hold it
    }
    std::string text = "0000-00-00";
    auto put = [&text](std::size_t end, unsigned value) {
        for (std::size_t i = end; value != 0; --i) {
            text[i] = static_cast<char>('0' + value % 10U);
            value /= 10U;
        }
    };
    put(3, static_cast<unsigned>(static_cast<int>(d.year())));
    put(6, static_cast<unsigned>(d.month()));
    put(9, static_cast<unsigned>(d.day()));
    return text;
}

date add_days(const date& d, day_count days) {
    return date{std::chrono::sys_days{d} + std::chrono::days{days}};
}

day_count days_between(const date& first, const date& second) {
    return (std::chrono::sys_days{second} - std::chrono::sys_days{first}).count();
}

} // namespace orvandel::calc
