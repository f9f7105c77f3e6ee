#include "sheet/table.h"

#include <algorithm>
#include <cctype>

namespace orvandel::sheet {

cell cell::of_text(std::string value) {
    return {cell_kind::text, std::move(value), 0, {}, -1};
}

cell cell::of_number(std::string decimal, std::int8_t format_decimals) {
    return {cell_kind::number, std::move(decimal), 0, {}, format_decimals};
}

cell cell::of_integer(std::int64_t value) {
    return {cell_kind::integer, {}, value, {}, -1};
}

cell cell::of_date(calc::date value) {
    return {cell_kind::date, {}, 0, value, -1};
}

cell cell::of_sum() {
    return {cell_kind::sum, {}, 0, {}, -1};
}

std::string cell_text(const cell& c) {
    switch (c.kind) {
    case cell_kind::text:
    case cell_kind::number:
        return c.text;
    case cell_kind::integer:
        return std::to_string(c.integer);
    case cell_kind::date:
        return calc::format_date_text(c.day).value_or(std::string());
    case cell_kind::empty:
    case cell_kind::sum:
        break;
    }
    return {};
}

bool is_decimal_text(std::string_view text) {
    if (text.starts_with('-')) {
        text.remove_prefix(1);
    }
    const auto is_digit = [](char ch) { return ch >= '0' && ch <= '9'; };
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view part =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || (point != std::string_view::npos && part.empty())) {
        return false;
    }
    return std::all_of(whole.begin(), whole.end(), is_digit) &&
           std::all_of(part.begin(), part.end(), is_digit);
}

} // namespace orvandel::sheet
