#include "sheet/figure_text.h"

namespace orvandel::sheet {

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

} // namespace orvandel::sheet
