#include "sheet/result_cells.h"

#include "calc/date.h"

#include <charconv>
#include <cstdint>

namespace orvandel::sheet {
namespace {

std::optional<std::int64_t> whole(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// An amount as the engine reads it (".50", "5.", "030") as a number cell's
// decimal text ("0.50", "5", "030"); nothing for any other text.
std::optional<std::string> as_decimal(std::string text) {
    if (text.starts_with('.')) {
        // Built anew rather than inserted into: MinGW's GCC 12 reports a false
        // -Wrestrict for insert(0, …).
        text = std::string(1, '0').append(text);
    }
    if (text.ends_with('.')) {
        text.pop_back();
    }
    return is_decimal_text(text) && !text.starts_with('-') ? std::optional(std::move(text))
                                                           : std::nullopt;
}

} // namespace

cell result_cell(std::optional<column> role, std::string text, bool row_computed) {
    if (text.empty()) {
        return {};
    }
    if (!role || !row_computed) {
        return cell::of_text(std::move(text));
    }
    switch (facts(*role).kind) {
    case column_kind::money:
        if (auto decimal = as_decimal(text)) {
            return cell::of_number(std::move(*decimal));
        }
        break;
    case column_kind::count:
        if (const auto value = whole(text)) {
            return cell::of_integer(*value);
        }
        break;
    case column_kind::date:
        if (const auto day = calc::parse_date_text(text)) {
            return cell::of_date(*day);
        }
        break;
    case column_kind::text:
        break;
    }
    return cell::of_text(std::move(text));
}

std::string left_out_text(std::size_t rows, language lang) {
    return lang == language::chinese ? "另有" + std::to_string(rows) + "行有误，未计入合计"
                                     : std::to_string(rows) + (rows == 1 ? " row" : " rows") +
                                           " left out of the totals for errors";
}

std::vector<cell> totals_row(const std::vector<std::optional<column>>& roles, language lang,
                             std::size_t rows_left_out) {
    std::vector<cell> totals(roles.size());
    std::optional<std::size_t> label, note;
    for (std::size_t i = 0; i < roles.size(); ++i) {
        if (roles[i] == column::item && !label) {
            label = i;
        } else if (roles[i] == column::error) {
            note = i;
        }
    }
    for (std::size_t i = 0; i < roles.size(); ++i) {
        if (roles[i] && facts(*roles[i]).summed) {
            totals[i] = cell::of_sum();
        } else if (!label && roles[i] != column::error) {
            label = i;
        }
    }
    const bool zh = lang == language::chinese;
    if (label) {
        totals[*label] = cell::of_text(zh ? "合计" : "total");
    }
    if (note && rows_left_out > 0) {
        totals[*note] = cell::of_text(left_out_text(rows_left_out, lang));
    }
    return totals;
}

} // namespace orvandel::sheet
